#include "speech/SpeechToolVerbs.h"

#include "app/SettingsStore.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeakPreparation.h"
#include "speech/SpeechController.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

const char *FamilyName(VoiceFamilyKind family)
{
    switch (family) {
    case VoiceFamilyKind::Msp:
        return "MSP";
    case VoiceFamilyKind::Sapi:
        return "SAPI";
    case VoiceFamilyKind::Upctv:
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

int Usage()
{
    Print(stderr, QStringLiteral("usage: tolvanet-tool say [--voice N] [--rate R] TEXT..."));
    return 2;
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
        const VoiceFamilyIndex voice = VoiceFamily(i, controller.MspCount(), controller.SapiCount());
        Print(stdout, QStringLiteral("%1\t%2\t%3\t%4").arg(i).arg(QLatin1String(FamilyName(voice.family)))
                          .arg(voice.index).arg(entries.at(i)));
    }
    if (entries.isEmpty())
        Print(stderr, QStringLiteral("no voice is available"));
    return entries.isEmpty() ? 1 : 0;
}

int Say(const QStringList &arguments, const AppPaths &paths)
{
    std::optional<int> voice;
    std::optional<int> rate;
    QStringList words;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (words.isEmpty() && (argument == QLatin1String("--voice") || argument == QLatin1String("--rate"))) {
            if (i + 1 >= arguments.size())
                return Usage();
            const std::optional<int> value = ToInteger(arguments.at(++i));
            if (!value)
                return Usage();
            (argument == QLatin1String("--voice") ? voice : rate) = value;
        } else if (words.isEmpty() && argument == QLatin1String("--")) {
            words << arguments.mid(i + 1);
            break;
        } else {
            words << argument;
        }
    }
    const QString text = words.join(QLatin1Char(' '));
    if (text.isEmpty())
        return Usage();
    if (rate && (*rate < -10 || *rate > 10)) {
        Print(stderr, QStringLiteral("the rate goes from -10 to 10"));
        return 2;
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
    controller.SetUp();
    if (voice) {
        if (*voice < 0 || *voice >= controller.VoiceEntries().size()) {
            Print(stderr, QStringLiteral("there is no voice %1; tolvanet-tool voices lists them").arg(*voice));
            return 2;
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
    const VoiceFamilyIndex family = VoiceFamily(controller.SelectedIndex(), controller.MspCount(), controller.SapiCount());
    const QString sound = dictionary.ApplyExceptionsDictionary(text);
    QString reason;
    if (SpeakPreparation::SoundFileKind(sound) != SpeakPreparation::SoundFile::None)
        reason = QStringLiteral("the recording %1 could not be played").arg(sound.trimmed());
    else if (family.family == VoiceFamilyKind::Sapi)
        reason = QStringLiteral("speech-dispatcher did not speak it");
    else if (family.family == VoiceFamilyKind::Upctv)
        reason = QStringLiteral("the UPCTV voice could not speak it");
    else
        reason = QStringLiteral("espeak-ng could not speak it");
    if (!engines.Audible())
        reason += QStringLiteral(" (no sound server or output device)");
    Print(stderr, QStringLiteral("nothing was heard: %1").arg(reason));
    return 1;
}

} // namespace

std::optional<int> RunSpeechToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths)
{
    if (verb == QLatin1String("voices"))
        return Voices(paths);
    if (verb == QLatin1String("say"))
        return Say(arguments, paths);
    return std::nullopt;
}
