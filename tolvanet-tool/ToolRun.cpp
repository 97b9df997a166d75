#include "tolvanet-tool/ToolRun.h"

#include "core/Command.h"

#include <QCommandLineParser>

namespace {

// Questions of a command run without a window: message boxes are collected,
// the text query is answered with --name, every other question is cancelled.
class ToolQuestions : public UserQuestions
{
public:
    explicit ToolQuestions(std::optional<QString> name)
        : m_name(std::move(name))
    {
    }
    void Message(const QString &text) override { messages << text; }
    SaveAnswer AskYesNoCancel(const QString &) override { return SaveAnswer::Cancel; }
    std::optional<QString> AskText(const QString &, const QString &, const QString &) override
    {
        return m_name;
    }
    std::optional<QString> AskPassword(const QString &, const QString &) override { return std::nullopt; }
    QString AskOpenFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString AskSaveFileName(const QString &) override { return {}; }

    QStringList messages;

private:
    std::optional<QString> m_name;
};

std::optional<int> ParseNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

ToolVerbLine TextCommandLine(const QString &verb)
{
    ToolVerbLine line;
    line.verb = verb;
    line.description = QStringLiteral(
        "Runs the text command %1 on a document as its menu command runs in the editor,\n"
        "and writes the whole resulting document to standard output as UTF-8. The document is\n"
        "read from FILE or from standard input (UTF-8 when valid, else Windows-1252). A message\n"
        "box of the command goes to standard error, with nothing on standard output and exit\n"
        "status 2.").arg(verb);
    line.options = {
        {QStringLiteral("line"), QStringLiteral("The caret at the start of line N, from 0 (default: the last line)."),
         QStringLiteral("N")},
        {QStringLiteral("select"), QStringLiteral("The selection: LENGTH characters from position START."),
         QStringLiteral("START:LENGTH")},
        {QStringLiteral("name"), QStringLiteral("The answer to the command's text query."), QStringLiteral("TEXT")},
        {QStringLiteral("menu"), QStringLiteral("The remembered menu name of the Java menu-item commands."),
         QStringLiteral("TEXT")},
        {QStringLiteral("steps"), QStringLiteral("Show the steps of \"Sistema\" (the default).")},
        {QStringLiteral("no-steps"), QStringLiteral("Hide the steps of \"Sistema\".")},
        {QStringLiteral("iterations"), QStringLiteral("The loop count of the benchmark."), QStringLiteral("N")},
    };
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("The document; standard input when none is given.");
    return line;
}

} // namespace

ToolParse ParseToolOptions(const QString &verb, const QStringList &arguments, ToolOptions *options, QString *text)
{
    QCommandLineParser parser;
    const ToolParse parsed = ParseToolVerb(parser, TextCommandLine(verb), arguments, text);
    if (parsed != ToolParse::Run)
        return parsed;
    const auto fail = [&](const QString &option, const QString &problem) {
        *text = QStringLiteral("tolvanet-tool %1: wrong value '%2' of --%3: %4\nTry 'tolvanet-tool %1 --help'.\n")
                    .arg(verb, parser.value(option), option, problem);
        return ToolParse::BadUsage;
    };
    ToolOptions result;
    result.command = verb;
    if (parser.isSet(QStringLiteral("line"))) {
        const auto number = ParseNumber(parser.value(QStringLiteral("line")));
        if (!number || *number < 0)
            return fail(QStringLiteral("line"), QStringLiteral("a line number from 0 is needed"));
        result.line = number;
    }
    if (parser.isSet(QStringLiteral("select"))) {
        const QStringList parts = parser.value(QStringLiteral("select")).split(QLatin1Char(':'));
        const auto start = parts.size() == 2 ? ParseNumber(parts.at(0)) : std::nullopt;
        const auto length = parts.size() == 2 ? ParseNumber(parts.at(1)) : std::nullopt;
        if (!start || !length || *start < 0 || *length < 0)
            return fail(QStringLiteral("select"), QStringLiteral("START:LENGTH is needed"));
        result.selection = std::make_pair(*start, *length);
    }
    if (parser.isSet(QStringLiteral("name")))
        result.name = parser.value(QStringLiteral("name"));
    if (parser.isSet(QStringLiteral("menu")))
        result.menu = parser.value(QStringLiteral("menu"));
    if (parser.isSet(QStringLiteral("no-steps")))
        result.steps = false;
    if (parser.isSet(QStringLiteral("iterations"))) {
        bool ok = false;
        const qint64 count = parser.value(QStringLiteral("iterations")).toLongLong(&ok);
        if (!ok || count <= 0)
            return fail(QStringLiteral("iterations"), QStringLiteral("a positive count is needed"));
        result.iterations = count;
    }
    if (!parser.positionalArguments().isEmpty())
        result.file = parser.positionalArguments().constFirst();
    *options = result;
    return ToolParse::Run;
}

std::optional<ToolOptions> ParseToolOptions(const QStringList &arguments, QString *error)
{
    ToolOptions options;
    QString text;
    if (ParseToolOptions(QStringLiteral("COMMAND"), arguments, &options, &text) != ToolParse::Run) {
        *error = text.isEmpty() ? QStringLiteral("wrong arguments") : text;
        return std::nullopt;
    }
    return options;
}

ToolOutcome RunTextCommand(const CommandRegistry &registry, const ToolOptions &options,
                           const QString &document)
{
    ToolOutcome outcome;
    const Command *command = registry.Find(options.command);
    if (!command || !command->textCommand) {
        outcome.exitStatus = 1;
        outcome.errors = QStringLiteral("unknown command: %1 (tolvanet-tool list shows them)\n")
                             .arg(options.command);
        return outcome;
    }

    PlainEditorText editor(document);
    if (options.selection) {
        editor.Select(options.selection->first, options.selection->second);
    } else {
        const int lines = editor.LineCount();
        const int line = options.line ? *options.line : std::max(0, lines - 1);
        if (line > 0 && line >= lines) {
            outcome.exitStatus = 1;
            outcome.errors = QStringLiteral("the document has %1 lines (0 to %2)\n").arg(lines).arg(lines - 1);
            return outcome;
        }
        editor.SetSelStart(std::max(0, editor.LineStart(line)));
    }
    editor.SetModified(false);

    ToolQuestions questions(options.name);
    SessionState session;
    session.showMathSteps = options.steps;
    session.benchmarkIterations = options.iterations;
    if (options.menu)
        session.javaMenuName = *options.menu;
    CommandHost host;
    CommandContext context{editor, questions, session, host};
    RunCommand(*command, context);

    if (!questions.messages.isEmpty()) {
        outcome.exitStatus = 2;
        for (const QString &message : questions.messages)
            outcome.errors += message + QLatin1Char('\n');
        return outcome;
    }
    outcome.output = editor.Text();
    return outcome;
}
