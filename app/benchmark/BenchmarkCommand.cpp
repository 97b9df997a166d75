#include "app/benchmark/BenchmarkCommand.h"

#include "app/benchmark/BenchmarkReport.h"
#include "core/Command.h"

namespace {

void MenuPerformancesClick(CommandContext &ctx)
{
    ctx.host.SetBusy(true);
    const QStringList report =
        RunBenchmarkReport(BenchmarkCounts::ForIterations(ctx.session.benchmarkIterations));
    ctx.host.SetBusy(false);

    // Appended as lines after the existing text, wherever the caret stands.
    QString lines;
    const int end = ctx.editor.Length();
    if (end > 0 && ctx.editor.Mid(end - 1, 1) != QLatin1String("\n"))
        lines += QLatin1Char('\n');
    for (const QString &line : report) {
        lines += line;
        lines += QLatin1Char('\n');
    }
    ctx.editor.Replace(end, 0, lines);
}

} // namespace

void RegisterBenchmarkCommand(CommandRegistry &registry)
{
    // An item of the menu bar itself.
    CommandMenu(registry, "").Add({"benchmark", "MenuPerformances", "Performances"}, MenuPerformancesClick);
}
