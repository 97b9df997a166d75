#include "tolvanet-tool/ExportToolVerbs.h"

#include "core/DocumentFile.h"
#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "core/WholeFiles.h"
#include "core/documents/DocumentConversion.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "platform/DesktopWindowsDBus.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/LanguageVoices.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "speech/SpeechSettings.h"
#include "spell/LanguageDetector.h"
#include "tolvanet-tool/BookToolVerbs.h"
#include "tolvanet-tool/VoiceArgument.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

struct ToolOptions
{
    QString name;
    QString voice;
    QString rate;
    QString file;
    SubtitleChoice subtitles = kAllSubtitles;
};

QString FormatName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Mp3:
        return QStringLiteral("MP3");
    case ExportFormat::Opus:
        return QStringLiteral("Opus");
    case ExportFormat::Wav:
        break;
    }
    return QStringLiteral("WAV");
}

int Usage(const QString &verb, const QString &problem)
{
    std::fprintf(stderr, "tolvanet-tool %s: %s\nTry 'tolvanet-tool %s --help'.\n", qPrintable(verb),
                 qPrintable(problem), qPrintable(verb));
    return kBadUsageStatus;
}

// The options, or the exit status when the verb must not run (help, version, bad usage).
std::optional<ToolOptions> ParseOptions(const QString &verb, ExportFormat format, const QStringList &arguments,
                                        int *status, bool book = false)
{
    ToolVerbLine line;
    line.verb = verb;
    line.description = book ? BookVerbDescription(verb) : QStringLiteral(
        "Saves the document as spoken audio (%1) in the records folder and prints the sound file's path.\n"
        "The voice and rate are the editor's unless given; the name is the document's.\n"
        "Subtitles NAME.srt (a cue per sentence) and NAME.lrc (every word timed) go beside it;\n"
        "when they cannot be made the sound file is kept, the reason goes to standard error\n"
        "and the status is 1.")
        .arg(FormatName(format));
    line.options = {
        {QStringLiteral("name"), QStringLiteral("The sound file's base name."), QStringLiteral("TEXT")},
        {QStringLiteral("voice"), QStringLiteral("A number or name of the voice list (tolvanet-tool voices), an espeak-ng\n"
                                                 "voice name or a language code (ca, es)."),
         QStringLiteral("N|VOICE")},
        {QStringLiteral("rate"), QStringLiteral("The speech rate, from -10 to 10."), QStringLiteral("R")},
        {QStringLiteral("subtitles"), QStringLiteral("The subtitle files to write: srt, lrc or srt,lrc (the default)."),
         QStringLiteral("LIST")},
        {QStringLiteral("no-subtitles"), QStringLiteral("Writes no subtitle files.")},
    };
    if (book)  // a book carries its own timing
        line.options.erase(line.options.begin() + 3, line.options.end());
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("The document; standard input when none is given.");
    QCommandLineParser parser;
    if (const std::optional<int> answered = ParseToolVerbOrAnswer(parser, line, arguments)) {
        *status = *answered;
        return std::nullopt;
    }
    ToolOptions options;
    options.name = parser.value(QStringLiteral("name"));
    options.voice = parser.value(QStringLiteral("voice"));
    options.rate = parser.value(QStringLiteral("rate"));
    if (!parser.positionalArguments().isEmpty())
        options.file = parser.positionalArguments().constFirst();
    const bool none = !book && parser.isSet(QStringLiteral("no-subtitles"));
    if (!book && parser.isSet(QStringLiteral("subtitles"))) {
        const QString list = parser.value(QStringLiteral("subtitles"));
        const std::optional<SubtitleChoice> chosen = ParseSubtitleChoice(list);
        if (none || !chosen) {
            *status = Usage(verb, none ? QStringLiteral("--subtitles and --no-subtitles together")
                                       : QStringLiteral("wrong value '%1' of --subtitles: srt, lrc or srt,lrc is "
                                                        "needed").arg(list));
            return std::nullopt;
        }
        options.subtitles = *chosen;
    } else if (none) {
        options.subtitles = {};
    }
    return options;
}

// A number of the voice list the editor shows; a name picks that voice of the list, or
// that espeak-ng voice; nothing given, the voice the editor would choose from the settings.
std::optional<ExportVoice> VoiceOf(const QString &text, const SpeechController &voices, QString *problem)
{
    if (text.isEmpty())
        return voices.SelectedVoice();
    if (const std::optional<int> index = ToInteger(text)) {
        if (*index < voices.VoiceEntries().size())
            return voices.VoiceOfRow(qMax(0, *index));  // below the list: its first voice
        *problem = QStringLiteral("wrong value '%1' of --voice: there is no such voice; tolvanet-tool voices "
                                  "lists them").arg(text);
        return std::nullopt;
    }
    if (const std::optional<int> row = VoiceRowByName(text, voices))
        return voices.VoiceOfRow(*row);
    const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    for (int i = 0; i < espeak.size(); ++i) {
        const QString &identifier = espeak.at(i).identifier;
        if (identifier == text || identifier.section(QLatin1Char('/'), -1) == text)
            return ExportVoice{ExportFamily::Msp, i};
    }
    *problem = QStringLiteral("wrong value '%1' of --voice: no such voice").arg(text);
    return std::nullopt;
}

// With the voice following the language (the editor's switch), what tells a text's
// stretches of each language; none for the one voice throughout.
std::shared_ptr<const LanguageDetector> FollowedLanguages(const QString &verb, const SettingsStore &settings)
{
    if (!settings.ReadYes(QStringLiteral("LlibreriaLlegir"), QStringLiteral("CANVI DE LLENGUA"), false))
        return nullptr;
    auto detector = std::make_shared<const LanguageDetector>();
    if (!detector->Problem().isEmpty())
        std::fprintf(stderr, "tolvanet-tool %s: %s\n", qPrintable(verb), qPrintable(detector->Problem()));
    return detector;
}

// The voices that record a text's stretches of each language, as the editor's voices for
// each language say.
std::function<QList<ExportRun>(const QList<LanguageRun> &languages)> VoicesOfStretches(const ExportRequest &request,
                                                                                       const SettingsStore &settings,
                                                                                       const SpeechController &voices)
{
    auto languageVoices = std::make_shared<LanguageVoices>();
    languageVoices->Refresh(LanguageVoices::CandidatesOf(voices), settings);
    const LanguageVoiceChoice chosen{request.voice, request.voiceName};
    return [languageVoices, chosen, &voices](const QList<LanguageRun> &languages) {
        return VoicedRuns(languages, chosen,
                          [&](const QString &language) { return languageVoices->ExportVoiceFor(language, voices); });
    };
}

// The text and the file name of an export as the command line gives them; nothing, with
// status set, when the document cannot be read or the name cannot be used.
std::optional<ExportRequest> RequestOf(const QString &verb, ExportFormat format, const ToolOptions &options,
                                       int *status)
{
    ExportRequest request;
    request.format = format;
    request.subtitles = options.subtitles;
    QString readError;
    request.text = ReadAnyDocumentText(options.file, &readError);
    if (!readError.isEmpty()) {
        std::fprintf(stderr, "tolvanet-tool %s: %s\n", qPrintable(verb), qPrintable(readError));
        *status = 1;
        return std::nullopt;
    }
    // Blanks at the ends of a name would not survive the exchange file: a name of blanks
    // only is no name.
    request.name = SoundFileNameOf(options.name);
    if (request.name.isEmpty() && !options.file.isEmpty())
        request.name = SoundFileNameOfDocument(options.file);
    if (request.name.isEmpty())
        request.name = ExportProtocol::kStartName;
    if (!IsUsableSoundFileName(request.name)) {
        *status = Usage(verb, QStringLiteral("wrong value '%1' of --name: unusable sound file name").arg(request.name));
        return std::nullopt;
    }
    return request;
}

// Tells what the export did, as the tool tells it; its exit status.
int ReportExport(const ExportResult &result, const ExportRequest &request, const QString &substitution)
{
    // The other voice was told before the export.
    QString notice = result.notice;
    if (!substitution.isEmpty() && notice.startsWith(substitution))
        notice = notice.mid(substitution.size()).trimmed();
    if (!notice.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(notice));
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(result.reason));
        return 1;
    }
    std::printf("%s\n", qPrintable(result.file));
    std::fflush(stdout);
    const int wanted = int(request.subtitles.srt) + int(request.subtitles.lrc);
    return result.subtitleFiles.size() == wanted ? 0 : 1;
}

// The sound format a verb exports in (a book's is MP3); nothing for a verb that exports nothing.
std::optional<ExportFormat> ExportFormatOfVerb(const QString &verb)
{
    if (verb == QLatin1String("export-wav"))
        return ExportFormat::Wav;
    if (verb == QLatin1String("export-mp3"))
        return ExportFormat::Mp3;
    if (verb == QLatin1String("export-opus"))
        return ExportFormat::Opus;
    if (BookVerbFormat(verb))
        return ExportFormat::Mp3;
    return std::nullopt;
}

} // namespace

std::optional<int> RunExportToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths)
{
    const std::optional<ExportFormat> verbFormat = ExportFormatOfVerb(verb);
    if (!verbFormat)
        return std::nullopt;
    const ExportFormat format = *verbFormat;
    const std::optional<BookFormat> book = BookVerbFormat(verb);

    QString problem;
    int status = 0;
    const std::optional<ToolOptions> options = ParseOptions(verb, format, arguments, &status, book.has_value());
    if (!options)
        return status;

    std::optional<ExportRequest> asked = RequestOf(verb, format, *options, &status);
    if (!asked)
        return status;
    ExportRequest &request = *asked;

    SettingsStore settings(paths.settingsFile);
    SpeechSettings users(settings);
    users.SetFailureReport([&verb](const QString &problem) {
        std::fprintf(stderr, "tolvanet-tool %s: %s\n", qPrintable(verb), qPrintable(problem));
    });
    const QString rateText = options->rate.isEmpty() ? users.RateText() : options->rate;
    const std::optional<int> rate = ToInteger(rateText);
    if (!rate || *rate < -10 || *rate > 10)
        return Usage(verb, QStringLiteral("wrong value '%1' of --rate: a whole number from -10 to 10 is needed")
                               .arg(rateText));
    request.rate = *rate;

    // The user's settings are read from a copy: what loading the exceptions dictionary
    // or choosing the voice writes goes there, and the command line leaves the user's
    // settings as they were, but for a stored voice number that the voice's name proves
    // stale, which is mended as the editor mends it.
    QTemporaryDir scratch;
    SettingsStore copy(scratch.filePath(QStringLiteral("tolvanet.ini")));
    if (const WholeFiles::ReadResult contents = WholeFiles::ReadRegularFile(paths.settingsFile); contents.ok)
        WholeFiles::WriteFile(copy.FileName(), contents.bytes, nullptr);
    RealSpeechEngines engines(paths.programDir, nullptr);
    SpeechController voices(copy, engines.Engines(), nullptr);
    voices.SetUp();
    const StoredVoice::Resolved stored = StoredVoice::Resolve(users.Voice(), voices.VoiceEntries(),
                                                              int(voices.VoiceEntries().size()));
    if (stored.outcome == StoredVoice::Resolved::Outcome::Chosen && stored.numberStale)
        users.WriteVoiceNumber(stored.row);
    const std::optional<ExportVoice> voice = VoiceOf(options->voice, voices, &problem);
    if (!voice)
        return Usage(verb, problem);
    request.voice = *voice;
    request.voiceName = voices.VoiceName(*voice);
    const QString substitution = AudioExporter::SubstitutionFor(request);
    if (!substitution.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(substitution));

    DBusDesktopWindows desktop;
    ProcessRendererLauncher launcher(paths.programDir);
    AudioExporter exporter(paths, desktop, launcher);
    // The user's exceptions dictionary applies here as in the editor.
    FormDiccionariExcepcions dictionary(copy, nullptr, paths.programDir);
    dictionary.FormCreate();
    const std::shared_ptr<const LanguageDetector> detector = FollowedLanguages(verb, copy);
    const auto runsOf = detector ? VoicesOfStretches(request, copy, voices)
                                 : std::function<QList<ExportRun>(const QList<LanguageRun> &)>();
    if (book) {
        BookLanguages languages;
        if (detector) {
            languages.languagesOf = [detector](const QString &text) { return LanguageRuns(text, *detector); };
            languages.runsOf = runsOf;
        }
        return RunBookToolVerb(verb, *book, request, options->file, paths, desktop, launcher,
                               [&dictionary](const QString &text) { return dictionary.ApplyExceptionsDictionary(text); },
                               languages);
    }
    exporter.SetDictionary([&dictionary](const QString &text) { return dictionary.ApplyExceptionsDictionary(text); });
    if (runsOf)
        request.runs = runsOf(LanguageRuns(request.text, *detector));
    const ExportResult result = exporter.Export(request);
    return ReportExport(result, request, substitution);
}
