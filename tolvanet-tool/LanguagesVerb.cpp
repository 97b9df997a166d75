#include "tolvanet-tool/LanguagesVerb.h"

#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "speech/LanguageVoices.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "spell/LanguageDetector.h"

#include <QCommandLineParser>
#include <QTemporaryDir>

#include <cstdio>

namespace
{
void Write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The voice of each language as the editor would choose it, from the user's settings.
LanguageVoices VoicesOfLanguages(const AppPaths &paths)
{
    // The list is built without touching the user's settings; the choices are read from them.
    QTemporaryDir scratch;
    SettingsStore listSettings(scratch.filePath(QStringLiteral("tolvanet.ini")));
    RealSpeechEngines engines(paths.programDir, nullptr);
    SpeechController controller(listSettings, engines.Engines(), nullptr);
    controller.SetUp();
    LanguageVoices voices;
    voices.Refresh(LanguageVoices::CandidatesOf(controller), SettingsStore(paths.settingsFile));
    return voices;
}
} // namespace

int RunLanguagesVerb(const QStringList &arguments, const AppPaths &paths)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("languages");
    line.description = QStringLiteral(
        "Prints the language of each paragraph that has words: its line number (from 1, a\n"
        "paragraph a line as 'text' prints it), a tab, the language (ca, es, en, fr, pt, gl,\n"
        "eu, or und when it cannot be told), a tab, and the voice that reads it when the\n"
        "voice changes with the language (empty when no listed voice speaks it: the chosen\n"
        "voice reads it). Exit status 2 when the document cannot be read.");
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("the document");
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        Write(stderr, QStringLiteral("tolvanet-tool languages: one FILE is needed\n"
                                     "Try 'tolvanet-tool languages --help'.\n"));
        return kBadUsageStatus;
    }
    QString error;
    const QString text = ReadAnyDocumentText(files.first(), &error);
    if (!error.isEmpty()) {
        Write(stderr, QStringLiteral("tolvanet-tool languages: %1\n").arg(error));
        return kBadUsageStatus;
    }
    const LanguageDetector detector;
    if (!detector.Problem().isEmpty())
        Write(stderr, QStringLiteral("tolvanet-tool languages: %1\n").arg(detector.Problem()));
    const LanguageVoices voices = VoicesOfLanguages(paths);
    int lineNumber = 1;
    int counted = 0;
    QString out;
    for (const LanguageRun &paragraph : ParagraphLanguages(text, detector)) {
        lineNumber += int(QStringView(text).mid(counted, paragraph.start - counted).count(u'\n'));
        counted = paragraph.start;
        const QString voice = paragraph.language.isEmpty() ? QString() : voices.VoiceFor(paragraph.language);
        out += QStringLiteral("%1\t%2\t%3\n")
                   .arg(lineNumber)
                   .arg(paragraph.language.isEmpty() ? QStringLiteral("und") : paragraph.language, voice);
    }
    Write(stdout, out);
    return 0;
}
