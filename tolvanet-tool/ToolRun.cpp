#include "tolvanet-tool/ToolRun.h"

#include "app/Command.h"

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

} // namespace

std::optional<ToolOptions> ParseToolOptions(const QStringList &arguments, QString *error)
{
    ToolOptions options;
    auto fail = [error](const QString &message) {
        *error = message;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments.at(++i);
        };
        if (argument == QLatin1String("--line")) {
            const auto text = value();
            const auto number = text ? ParseNumber(*text) : std::nullopt;
            if (!number || *number < 0)
                return fail(QStringLiteral("--line needs a line number from 0"));
            options.line = number;
        } else if (argument == QLatin1String("--select")) {
            const auto text = value();
            const QStringList parts = text ? text->split(QLatin1Char(':')) : QStringList();
            const auto start = parts.size() == 2 ? ParseNumber(parts.at(0)) : std::nullopt;
            const auto length = parts.size() == 2 ? ParseNumber(parts.at(1)) : std::nullopt;
            if (!start || !length || *start < 0 || *length < 0)
                return fail(QStringLiteral("--select needs START:LENGTH"));
            options.selection = std::make_pair(*start, *length);
        } else if (argument == QLatin1String("--name")) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--name needs a text"));
            options.name = text;
        } else if (argument == QLatin1String("--menu")) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--menu needs a text"));
            options.menu = text;
        } else if (argument == QLatin1String("--steps")) {
            options.steps = true;
        } else if (argument == QLatin1String("--no-steps")) {
            options.steps = false;
        } else if (argument == QLatin1String("--iterations")) {
            const auto text = value();
            bool ok = false;
            const qint64 count = text ? text->toLongLong(&ok) : 0;
            if (!ok || count <= 0)
                return fail(QStringLiteral("--iterations needs a positive count"));
            options.iterations = count;
        } else if (argument.startsWith(QLatin1String("--")) && argument != QLatin1String("--")) {
            return fail(QStringLiteral("unknown option %1").arg(argument));
        } else {
            if (!options.file.isEmpty())
                return fail(QStringLiteral("only one document file can be given"));
            options.file = argument == QLatin1String("--") && i + 1 < arguments.size()
                ? arguments.at(++i) : argument;
        }
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
