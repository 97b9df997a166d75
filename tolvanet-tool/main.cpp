#include "app/AppPaths.h"
#include "app/Command.h"
#include "app/DocumentFile.h"
#include "app/TextCommands.h"
#include "app/TextEncoding.h"
#include "app/WholeFiles.h"
#include "speech/ExportToolVerbs.h"
#include "speech/SpeechToolVerbs.h"
#include "tolvanet-tool/StreamedCommands.h"
#include "tolvanet-tool/ToolRun.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

const char kHelp[] =
    "tolvanet-tool: the text tools of Tolvanet Corvalida without a window.\n"
    "\n"
    "  tolvanet-tool COMMAND [--line N] [--select START:LENGTH] [--name TEXT]\n"
    "                [--menu TEXT] [--steps|--no-steps] [--iterations N] [FILE]\n"
    "  tolvanet-tool list\n"
    "  tolvanet-tool voices\n"
    "  tolvanet-tool say [--voice N] [--rate R] TEXT...\n"
    "  tolvanet-tool export-wav|export-mp3 [--name NAME] [--voice N|VOICE] [--rate R] [FILE]\n"
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
    "export-wav and export-mp3 save the document as speech in the records folder,\n"
    "with the voice and rate of the editor's settings unless given.\n";

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")
        || arguments.first() == QLatin1String("-h")) {
        Print(arguments.isEmpty() ? stderr : stdout, QString::fromLatin1(kHelp));
        return arguments.isEmpty() ? 1 : 0;
    }

    CommandRegistry registry;
    RegisterTextCommands(registry);

    const QString verb = arguments.takeFirst();
    if (verb == QLatin1String("list")) {
        for (const Command &command : registry.All())
            if (command.textCommand && !command.id.isEmpty())
                Print(stdout, command.id + QLatin1Char('\n'));
        for (const char *verb : {"voices", "say", "export-wav", "export-mp3"})
            Print(stdout, QString::fromLatin1(verb) + QLatin1Char('\n'));
        return 0;
    }

    // The verbs that speak or record go to their own parsers.
    const AppPaths paths = AppPaths::ForRunningProgram();
    if (const auto status = RunSpeechToolVerb(verb, arguments, paths))
        return *status;
    if (const auto status = RunExportToolVerb(verb, arguments, paths))
        return *status;

    QString error;
    auto options = ParseToolOptions(arguments, &error);
    if (!options) {
        Print(stderr, error + QLatin1Char('\n'));
        return 1;
    }
    options->command = verb;
    if (const auto status = RunStreamedCommand(*options))
        return *status;

    QString document;
    if (options->file.isEmpty()) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            Print(stderr, QStringLiteral("cannot read standard input\n"));
            return 1;
        }
        const WholeFiles::ReadResult read = WholeFiles::ReadDevice(input, QStringLiteral("standard input"));
        if (!read.ok) {
            Print(stderr, read.error + QLatin1Char('\n'));
            return 1;
        }
        document = TextEncoding::DecodeAuto(read.bytes);
        document.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        document.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        const LoadedDocument loaded = LoadDocument(options->file);
        if (!loaded.ok) {
            Print(stderr, loaded.error + QLatin1Char('\n'));
            return 1;
        }
        document = loaded.text;
    }

    const ToolOutcome outcome = RunTextCommand(registry, *options, document);
    Print(stderr, outcome.errors);
    Print(stdout, outcome.output);
    return outcome.exitStatus;
}
