#include "maths/MathsCommands.h"

#include "core/Command.h"
#include "maths/ExpressionEvaluator.h"
#include "maths/LinearSystem.h"
#include "maths/NumberText.h"

namespace {

// The calculator's messages end in three line breaks.
const QString InformationMessage = QStringLiteral("INFORMACIÓN\n\n\n");
const QString AnalysisErrorMessage = QStringLiteral("ERROR DE ANÁLISIS\n\n\n");
const QString CalculationErrorMessage = QStringLiteral("ERROR DE CÁLCULO\n\n\n");

// Longest line, once its blanks are gone, that the calculator reads.
constexpr int CalculatorLineLimit = 255;

void MenuCalcularClick(CommandContext &context)
{
    EditorText &editor = context.editor;
    const int n = editor.CurrentLineIndex();
    const QString line = editor.Line(n);
    const CalculateOutcome outcome = CalculateLine(line);
    if (!outcome.message.isEmpty()) {
        context.ask.Message(outcome.message);
        return;
    }
    const int start = editor.LineStart(n);
    const bool lastLine = start + line.size() >= editor.Length();
    editor.Replace(start, int(line.size()),
                   lastLine ? outcome.line + QLatin1Char('\n') : outcome.line);
    editor.SetSelStart(start + int(outcome.line.size()));
}

void MenuSistemaClick(CommandContext &context)
{
    EditorText &editor = context.editor;
    const bool showSteps = context.session.showMathSteps;
    const int n = editor.CurrentLineIndex();
    const SystemSolution solution = SolveSystem(CollectSystemLines(editor, n), showSteps);
    if (solution.code != SystemSolved) {
        const QString message = SystemMessage(solution.code);
        if (!message.isEmpty())
            context.ask.Message(message);
        return;
    }
    // The text begins with a line break, so its first line is the empty one.
    editor.InsertLine(n + 1, solution.stepText.mid(1));
}

} // namespace

CalculateOutcome CalculateLine(const QString &line)
{
    if (line.isEmpty())
        return {QString(), InformationMessage};
    // Blanks go before the length is checked, so that an expression is never cut.
    QString text = StripBlanks(line);
    if (text.size() > CalculatorLineLimit)
        return {QString(), AnalysisErrorMessage};
    // A line that already carries a result is computed again.
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals >= 0)
        text.truncate(equals);
    ExpressionEvaluator evaluator;
    if (evaluator.ParseExpression(text) != Accepted)
        return {QString(), AnalysisErrorMessage};
    const Evaluation result = evaluator.EvaluateTokens(0);
    if (result.code != Computed)
        return {QString(), CalculationErrorMessage};
    return {text + QStringLiteral(" = ") + FormatResult(result.value), QString()};
}

QStringList CollectSystemLines(const EditorText &editor, int n)
{
    QStringList lines;
    for (int i = 0; i < MaxEquations && n - i >= 0; ++i) {
        const QString line = editor.Line(n - i);
        lines.append(line);
        if (!IsEquationLine(line))
            break;
    }
    return lines;
}

void RegisterMathsCommands(CommandRegistry &registry)
{
    CommandMenu maths(registry, "MenuMatematiques");
    maths.Add({"calc", "MenuCalcular", "Calcular", QKeySequence(Qt::CTRL | Qt::Key_M)}, MenuCalcularClick);
    maths.Add({"solve", "MenuSistema", "Sistema"}, MenuSistemaClick);

    CommandMenu(registry, "MenuUtils")
        .Add({"toggle-math-steps", "MenuMostrarPassesDeLesMatematiques", "Mostrar passes de les matemàtiques"},
             [](CommandContext &context) { context.session.showMathSteps = !context.session.showMathSteps; })
        .checked = [](const SessionState &session) { return session.showMathSteps; };
}
