#include "tolvanet-tool/SpeechToolVerbs.h"

#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "engines/SynthesizerMissingText.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeakPreparation.h"
#include "speech/SpeechController.h"
#include "tolvanet-tool/VoiceArgument.h"
#include "windows/InterfaceLanguages.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

const char *FamilyName(VoiceFamily family)
{
    switch (family) {
    case VoiceFamily::Msp:
        return "MSP";
    case VoiceFamily::Sapi:
        return "SAPI";
    case VoiceFamily::Upctv:
        break;
    }
    return "UPCTV";
}

void Print(FILE *stream, const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    fflush(stream);
}

int BadValue(const QString &verb, const QString &option, const QString &value, const QString &problem)
{
    Print(stderr, QStringLiteral("tolvanet-tool %1: wrong value '%2' of --%3: %4\nTry 'tolvanet-tool %1 --help'.")
                      .arg(verb, value, option, problem));
    return kBadUsageStatus;
}

int Voices(const AppPaths &paths)
{
    // The list is read without touching the user's settings.
    QTemporaryDir scratch;
    SettingsStore settings(scratch.filePath(QStringLiteral("tolvanet.ini")));
    RealSpeechEngines engines(paths.programDir, nullptr);
    SpeechController controller(settings, engines.Engines(), nullptr);
    controller.SetUp();
    const QStringList entries = controller.VoiceEntries();
    for (int i = 0; i < entries.size(); ++i) {
        const VoiceId voice = controller.VoiceOfRow(i);
        Print(stdout, QStringLiteral("%1\t%2\t%3\t%4").arg(i).arg(QLatin1String(FamilyName(voice.family)))
                          .arg(voice.index).arg(entries.at(i)));
    }
    if (entries.isEmpty())
        Print(stderr, QStringLiteral("no voice is available"));
    return entries.isEmpty() ? 1 : 0;
}

// Why a text the controller took was not heard, as far as the tool can tell.
QString NothingHeardReason(const SpeechController &controller, const QString &sound, bool audible)
{
    const VoiceId family = controller.SelectedVoice();
    QString reason;
    if (SpeakPreparation::SoundFileKind(sound) != SpeakPreparation::SoundFile::None)
        reason = QStringLiteral("the recording %1 could not be played").arg(sound.trimmed());
    else if (family.family == VoiceFamily::Sapi)
        reason = QStringLiteral("speech-dispatcher did not speak it");
    else if (family.family == VoiceFamily::Upctv)
        reason = QStringLiteral("the UPCTV voice could not speak it");
    else
        reason = QStringLiteral("espeak-ng could not speak it");
    if (!audible)
        reason += QStringLiteral(" (no sound server or output device)");
    return reason;
}

int Say(const QStringList &arguments, const AppPaths &paths)
{
    const QString verb = QStringLiteral("say");
    ToolVerbLine line;
    line.verb = verb;
    line.description = QStringLiteral("Speaks TEXT with the editor's voice, rate and exceptions dictionary and returns\n"
                                      "once it has been heard; exit status 1 when nothing was heard.");
    line.options = {
        {QStringLiteral("voice"), QStringLiteral("The voice's number or name in the list that tolvanet-tool voices prints,\n"
                                                 "or a language code (ca, es)."),
         QStringLiteral("N|VOICE")},
        {QStringLiteral("rate"), QStringLiteral("The speech rate, from -10 to 10."), QStringLiteral("R")},
    };
    line.positionalName = QStringLiteral("TEXT...");
    line.positionalHelp = QStringLiteral("The words to speak, joined by blanks.");
    line.manyPositionals = true;
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    std::optional<int> rate;
    if (parser.isSet(QStringLiteral("rate"))) {
        rate = ToInteger(parser.value(QStringLiteral("rate")));
        if (!rate || *rate < -10 || *rate > 10)
            return BadValue(verb, QStringLiteral("rate"), parser.value(QStringLiteral("rate")),
                            QStringLiteral("the rate goes from -10 to 10"));
    }
    const QString text = parser.positionalArguments().join(QLatin1Char(' '));
    if (text.isEmpty()) {
        Print(stderr, QStringLiteral("tolvanet-tool say: no TEXT to speak\nTry 'tolvanet-tool say --help'."));
        return kBadUsageStatus;
    }

    // A copy of the user's settings: a check of the speech leaves them as they were.
    QTemporaryDir scratch;
    const QString settingsCopy = scratch.filePath(QStringLiteral("tolvanet.ini"));
    QFile::copy(paths.settingsFile, settingsCopy);
    SettingsStore settings(settingsCopy);
    FormDiccionariExcepcions dictionary(settings, nullptr, paths.programDir);
    dictionary.FormCreate();
    RealSpeechEngines engines(paths.programDir, nullptr);
    SpeechController controller(settings, engines.Engines(), &dictionary);
    QString missing;
    // In English, as the rest of what the tool says.
    QObject::connect(&controller, &SpeechController::speechFailed,
                     [&missing](UtteranceId, SpeechFailure failure, const QString &message) {
        if (failure == SpeechFailure::SynthesizerMissing)
            missing = SynthesizerMissingText(int(InterfaceLanguage::English));
        else if (!message.isEmpty())
            missing = message;
    });
    controller.SetUp();
    if (parser.isSet(QStringLiteral("voice"))) {
        const QString value = parser.value(QStringLiteral("voice"));
        std::optional<int> voice = ToInteger(value);
        if (!voice)
            voice = VoiceRowByName(value, controller);
        if (!voice || *voice < 0 || *voice >= controller.VoiceEntries().size()) {
            return BadValue(verb, QStringLiteral("voice"), value,
                            QStringLiteral("there is no such voice; tolvanet-tool voices lists them"));
        }
        controller.SetSelectedIndex(*voice);
        controller.SelectVoice();
    }
    if (rate) {
        controller.SetRatePosition(*rate);
        controller.SetSpeechRate();
    }
    if (controller.VoiceEntries().isEmpty()) {
        Print(stderr, QStringLiteral("no voice is available"));
        return 1;
    }
    // Nothing heard is not a success: a script checking speech must be able to tell.
    if (controller.SpeakTextAndWait(text))
        return 0;
    if (!missing.isEmpty()) {
        Print(stderr, QStringLiteral("nothing was heard: %1").arg(missing));
        return 1;
    }
    const QString reason = NothingHeardReason(controller, dictionary.ApplyExceptionsDictionary(text), engines.Audible());
    Print(stderr, QStringLiteral("nothing was heard: %1").arg(reason));
    return 1;
}

} // namespace

std::optional<int> RunSpeechToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths)
{
    if (verb == QLatin1String("voices")) {
        ToolVerbLine line;
        line.verb = verb;
        line.description = QStringLiteral("Prints the voice list: number, family, number within the family and name,\n"
                                          "separated by tabs.");
        QCommandLineParser parser;
        if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
            return *status;
        return Voices(paths);
    }
    if (verb == QLatin1String("say"))
        return Say(arguments, paths);
    return std::nullopt;
}
