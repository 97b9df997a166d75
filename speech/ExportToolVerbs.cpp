#include "speech/ExportToolVerbs.h"

#include "app/DocumentFile.h"
#include "app/SettingsStore.h"
#include "app/WholeFiles.h"
#include "speech/ExceptionsDictionary.h"
#include "platform/DesktopWindowsDBus.h"
#include "speech/AudioExportPrograms.h"
#include "speech/AudioExporter.h"
#include "speech/VoiceCatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

struct ToolOptions
{
    QString name;
    QString voice;
    QString rate;
    QString file;
};

int Usage(const QString &verb, const QString &problem)
{
    std::fprintf(stderr, "%s\nusage: tolvanet-tool %s [--name TEXT] [--voice N|VOICE] [--rate -10..10] [FILE]\n",
                 qPrintable(problem), qPrintable(verb));
    return 2;
}

std::optional<ToolOptions> ParseOptions(const QStringList &arguments, QString *problem)
{
    ToolOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString *target = argument == QLatin1String("--name")    ? &options.name
                          : argument == QLatin1String("--voice") ? &options.voice
                          : argument == QLatin1String("--rate")  ? &options.rate
                                                                 : nullptr;
        if (target) {
            if (i + 1 >= arguments.size()) {
                *problem = QStringLiteral("%1 needs a value").arg(argument);
                return std::nullopt;
            }
            *target = arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--")) || !options.file.isEmpty()) {
            *problem = QStringLiteral("unexpected argument %1").arg(argument);
            return std::nullopt;
        } else {
            options.file = argument;
        }
    }
    return options;
}

// A list index is mapped as the voice list maps it; a name picks that espeak-ng voice.
std::optional<ExportVoice> VoiceOf(const QString &text, QString *problem)
{
    const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    const int mspCount = int(espeak.size());
    if (const std::optional<int> index = ToInteger(text)) {
        if (*index < mspCount)
            return ExportVoiceOfListIndex(qMax(0, *index), mspCount, 0);
        const int sapiCount = int(VoiceCatalog::SpeechDispatcherVoices().size());
        return ExportVoiceOfListIndex(*index, mspCount, sapiCount);
    }
    for (int i = 0; i < mspCount; ++i) {
        const QString &identifier = espeak.at(i).identifier;
        if (identifier == text || identifier.section(QLatin1Char('/'), -1) == text)
            return ExportVoice{ExportFamily::Msp, i};
    }
    *problem = QStringLiteral("no voice \"%1\"").arg(text);
    return std::nullopt;
}

} // namespace

std::optional<int> RunExportToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths)
{
    ExportFormat format;
    if (verb == QLatin1String("export-wav"))
        format = ExportFormat::Wav;
    else if (verb == QLatin1String("export-mp3"))
        format = ExportFormat::Mp3;
    else
        return std::nullopt;

    QString problem;
    const std::optional<ToolOptions> options = ParseOptions(arguments, &problem);
    if (!options)
        return Usage(verb, problem);

    ExportRequest request;
    request.format = format;
    if (options->file.isEmpty()) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return Usage(verb, QStringLiteral("cannot read the standard input"));
        const WholeFiles::ReadResult read = WholeFiles::ReadDevice(input, QStringLiteral("standard input"));
        if (!read.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(read.error));
            return 1;
        }
        request.text = QString::fromUtf8(read.bytes);
        request.text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    } else {
        const LoadedDocument document = LoadDocument(options->file);
        if (!document.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(document.error));
            return 1;
        }
        request.text = document.text;
    }
    // Blanks at the ends of a name would not survive the exchange file: a name of blanks
    // only is no name.
    request.name = SoundFileNameOf(options->name);
    if (request.name.isEmpty() && !options->file.isEmpty())
        request.name = SoundFileNameOf(QFileInfo(options->file).completeBaseName());
    if (request.name.isEmpty())
        request.name = ExportProtocol::kStartName;
    if (!IsUsableSoundFileName(request.name))
        return Usage(verb, QStringLiteral("unusable sound file name \"%1\"").arg(request.name));

    const SettingsStore settings(paths.settingsFile);
    const QString rateText = options->rate.isEmpty()
        ? settings.ReadString(QStringLiteral("tts"), QStringLiteral("velocitat"), QStringLiteral("0"))
        : options->rate;
    const std::optional<int> rate = ToInteger(rateText);
    if (!rate || *rate < -10 || *rate > 10)
        return Usage(verb, QStringLiteral("the rate must be a whole number from -10 to 10"));
    request.rate = *rate;
    const QString voiceText = options->voice.isEmpty()
        ? settings.ReadString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"), QStringLiteral("-1"))
        : options->voice;
    const std::optional<ExportVoice> voice = VoiceOf(voiceText, &problem);
    if (!voice)
        return Usage(verb, problem);
    request.voice = *voice;

    DBusDesktopWindows desktop;
    ProcessRendererLauncher launcher(paths.programDir);
    AudioExporter exporter(paths, desktop, launcher);
    // The user's exceptions dictionary applies here as in the editor, but what loading it
    // writes (a dictionary that went missing is switched off) goes to a copy: the command
    // line leaves the user's settings as they were.
    QTemporaryDir scratch;
    SettingsStore dictionarySettings(scratch.filePath(QStringLiteral("tolvanet.ini")));
    if (const WholeFiles::ReadResult copy = WholeFiles::ReadRegularFile(paths.settingsFile); copy.ok)
        WholeFiles::WriteFile(dictionarySettings.FileName(), copy.bytes, nullptr);
    FormDiccionariExcepcions dictionary(dictionarySettings, nullptr, paths.programDir);
    dictionary.FormCreate();
    exporter.SetDictionary([&dictionary](const QString &text) { return dictionary.ApplyExceptionsDictionary(text); });
    const ExportResult result = exporter.Export(request);
    if (!result.notice.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(result.notice));
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(result.reason));
        return 1;
    }
    std::printf("%s\n", qPrintable(result.file));
    std::fflush(stdout);
    return 0;
}
