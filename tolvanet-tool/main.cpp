#include "core/AppPaths.h"
#include "core/Command.h"
#include "app/TextCommands.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "tolvanet-tool/ExportToolVerbs.h"
#include "tolvanet-tool/LanguagesVerb.h"
#include "tolvanet-tool/SpeechToolVerbs.h"
#include "tolvanet-tool/PrintVerb.h"
#include "tolvanet-tool/PrivateBus.h"
#include "tolvanet-tool/SpellVerb.h"
#include "tolvanet-tool/SyllablesVerb.h"
#include "tolvanet-tool/TextVerb.h"
#include "tolvanet-tool/StreamedCommands.h"
#include "tolvanet-tool/ToolRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

const char kHelp[] =
    "tolvanet-tool: the text tools of Tolvanet Corvalida without a window.\n"
    "\n"
    "  tolvanet-tool COMMAND [--line N] [--select START:LENGTH] [--name TEXT]\n"
    "                [--menu TEXT] [--steps|--no-steps] [--iterations N] [FILE]\n"
    "  tolvanet-tool list\n"
    "  tolvanet-tool voices\n"
    "  tolvanet-tool say [--voice N] [--rate R] TEXT...\n"
    "  tolvanet-tool spell [--language ca|es|...] FILE\n"
    "  tolvanet-tool syllables [--language ca|es|...] FILE\n"
    "  tolvanet-tool export-wav|export-mp3|export-opus [--name NAME] [--voice N|VOICE]\n"
    "                [--rate R] [--subtitles srt,lrc|--no-subtitles] [FILE]\n"
    "  tolvanet-tool export-epub|export-m4b [--name NAME] [--voice N|VOICE] [--rate R] [FILE]\n"
    "  tolvanet-tool print [--pdf OUT.pdf] [FILE]\n"
    "  tolvanet-tool text [--password-file F] [--ocr-languages LANGS] FILE\n"
    "  tolvanet-tool languages FILE\n"
    "  tolvanet-tool VERB --help\n"
    "  tolvanet-tool --version\n"
    "\n"
    "Reads the document from FILE or standard input (UTF-8 when valid, else\n"
    "Windows-1252), runs COMMAND as its menu command runs on that document and\n"
    "writes the whole resulting document to standard output as UTF-8.\n"
    "\n"
    "  --line N            the caret at the start of line N (from 0; default the last line)\n"
    "  --select S:L        the selection: L characters from position S\n"
    "  --name TEXT         the answer to the command's text query\n"
    "  --menu TEXT         the remembered menu name of the Java menu-item commands\n"
    "  --steps, --no-steps show or hide the steps of \"Sistema\" (default: shown)\n"
    "  --iterations N      the loop count of the benchmark\n"
    "\n"
    "When the command would show a message box, its text goes to standard error,\n"
    "nothing to standard output, and the exit status is 2.\n"
    "\n"
    "export-wav, export-mp3 and export-opus save the document as speech in the\n"
    "records folder, with the voice and rate of the editor's settings unless given,\n"
    "and its subtitles beside it (NAME.srt and NAME.lrc). print prints\n"
    "the document in the editor's font, to a PDF file or to the default printer.\n"
    "text prints the text of a PDF, DOCX, ODT, EPUB, RTF or HTML document or of a\n"
    "picture of a page as the editor opens it (UTF-8, one paragraph a line); the\n"
    "export verbs and print take such documents too; --password-file F gives text\n"
    "the password of a locked PDF (the first line of F); --ocr-languages LANGS the\n"
    "languages Tesseract reads scanned pages and pictures in (default cat+spa).\n"
    "export-epub saves a read-along book (EPUB 3) whose sentences light up as they\n"
    "are heard; export-m4b an audiobook with a chapter per heading (needs ffmpeg).\n"
    "\n"
    "Wrong arguments are named on standard error, with exit status 2.\n";

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}


// list: the text commands' ids and the other verbs, one a line.
int RunListVerb(const CommandRegistry &registry, const QString &verb, const QStringList &arguments)
{
    ToolVerbLine line;
    line.verb = verb;
    line.description = QStringLiteral("Prints the ids of the text commands and the other verbs, one a line.");
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    for (const Command &command : registry.All())
        if (command.textCommand && !command.id.isEmpty())
            Print(stdout, command.id + QLatin1Char('\n'));
    for (const char *name : {"voices", "say", "export-wav", "export-mp3", "export-opus", "print", "text", "spell",
                             "syllables", "languages", "export-epub", "export-m4b"})
        Print(stdout, QString::fromLatin1(name) + QLatin1Char('\n'));
    return 0;
}

// The verbs with options of their own; nothing when verb is none of them.
std::optional<int> RunNamedVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths)
{
    if (verb == QLatin1String("print"))
        return RunPrintVerb(arguments, paths);
    if (verb == QLatin1String("spell"))
        return RunSpellVerb(arguments, paths);
    if (verb == QLatin1String("text"))
        return RunTextVerb(arguments);
    if (verb == QLatin1String("syllables"))
        return RunSyllablesVerb(arguments);
    if (verb == QLatin1String("languages"))
        return RunLanguagesVerb(arguments, paths);
    // The verbs that speak or record.
    if (const auto status = RunSpeechToolVerb(verb, arguments, paths))
        return status;
    return RunExportToolVerb(verb, arguments, paths);
}

// A text command of the editor's menus run on a file or standard input.
int RunTextCommandVerb(const CommandRegistry &registry, const QString &verb, const QStringList &arguments)
{
    const Command *command = registry.Find(verb);
    if (verb.startsWith(QLatin1Char('-')) || !command || !command->textCommand) {
        Print(stderr, QStringLiteral("tolvanet-tool: unknown command '%1'\n"
                                     "Try 'tolvanet-tool list' for the commands, 'tolvanet-tool --help' for the usage.\n")
                          .arg(verb));
        return kBadUsageStatus;
    }

    ToolOptions options;
    QString text;
    const ToolParse parsed = ParseToolOptions(verb, arguments, &options, &text);
    if (parsed != ToolParse::Run)
        return AnswerToolParse(parsed, text);

    // The commands that change each character on its own never hold the whole document.
    options.command = verb;
    if (const auto status = RunStreamedCommand(options))
        return *status;

    QString error;
    const QString document = ReadToolDocument(options.file, &error);
    if (!error.isEmpty()) {
        Print(stderr, QStringLiteral("tolvanet-tool %1: %2\n").arg(verb, error));
        return 1;
    }

    const ToolOutcome outcome = RunTextCommand(registry, options, document);
    Print(stderr, outcome.errors);
    Print(stdout, outcome.output);
    return outcome.exitStatus;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = RerunInPrivateBusIfNeeded(argc, argv))
        return *status;
    const bool printing = argc > 1 && qstrcmp(argv[1], "print") == 0;
    std::unique_ptr<QCoreApplication> application;
    if (printing) {
        // Printing lays the text out in the desktop's fonts and shows nothing: no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList arguments = application->arguments().mid(1);
    if (arguments.isEmpty()) {
        Print(stderr, QString::fromLatin1(kHelp));
        return kBadUsageStatus;
    }
    if (arguments.first() == QLatin1String("--help") || arguments.first() == QLatin1String("-h")) {
        Print(stdout, QString::fromLatin1(kHelp));
        return 0;
    }
    if (arguments.first() == QLatin1String("--version")) {
        Print(stdout, ToolVersionText());
        return 0;
    }

    CommandRegistry registry;
    RegisterTextCommands(registry);

    const QString verb = arguments.takeFirst();
    if (verb == QLatin1String("list"))
        return RunListVerb(registry, verb, arguments);
    if (const std::optional<int> status = RunNamedVerb(verb, arguments, AppPaths::ForRunningProgram()))
        return *status;
    return RunTextCommandVerb(registry, verb, arguments);
}
