// Times the whole-text tools on a 10 MB document: the computation against plain
// QString::replace passes, each command with the editor update against
// QPlainTextEdit::setPlainText, and the accent table against recode.
#include "app/window/PlainTextEditText.h"
#include "benchmarks/CNumbers.h"
#include "core/Command.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "tools/AccentConversions.h"
#include "tools/DelphiToJava.h"
#include "tools/HtmlCommands.h"
#include "tools/HtmlConversions.h"
#include "tools/JavaCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The machine is shared, so every figure is the best of several runs, and the two
// sides of a comparison take turns.
constexpr int kRuns = 5;

double Milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double BestMilliseconds(const std::function<void()> &work)
{
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run)
        best = std::min(best, Milliseconds(work));
    return best;
}

// Best times of ours and theirs, run in turns.
std::pair<double, double> BestInTurns(const std::function<void()> &ours,
                                      const std::function<void()> &theirs, int runs = kRuns)
{
    double bestOurs = 1e300;
    double bestTheirs = 1e300;
    for (int run = 0; run < runs; ++run) {
        bestOurs = std::min(bestOurs, Milliseconds(ours));
        bestTheirs = std::min(bestTheirs, Milliseconds(theirs));
    }
    return {bestOurs, bestTheirs};
}

// About 10 MB of Catalan prose, HTML and Delphi, all of it Latin-1.
QString MakeDocument()
{
    const QString paragraph = QStringLiteral(
        "<P ALIGN=\"JUSTIFY\">Això és una lliçó de programació per a l'alumne: "
        "¿Qué pasó? Ñandú, pingüí, Ô.&nbsp;</P>\n"
        "procedure TForm1.Button1Click(Sender: TObject);\n"
        "begin\n  if a = b then x := y + 1 else Edit1.Text := 'prova';\n"
        "  for i := 1 to 10 do begin {comentari} s := FloatToStr(i); end;\nend;\n");
    QString document;
    document.reserve(10'000'000 + paragraph.size());
    while (document.size() < 10'000'000)
        document += paragraph;
    return document;
}

void Report(const char *what, double ours, const char *baseline, double theirs, double limit)
{
    std::printf("%-34s %9.1f ms   %-40s %9.1f ms   ratio %5.2f (limit %.1f)\n", what, ours,
                baseline, theirs, ours / theirs, limit);
}

void CompareComputation(const char *name, const QString &input,
                        TextConversion (*convert)(const QString &),
                        std::span<const ReplacementRow> passes, double limit)
{
    const auto [ours, theirs] = BestInTurns([&] { convert(input); }, [&] {
        QString copy = input;
        for (const ReplacementRow &row : passes)
            copy.replace(row.search.toString(), row.replacement.toString());
    });
    char baseline[64];
    std::snprintf(baseline, sizeof baseline, "%zu QString::replace pass(es)", passes.size());
    Report(name, ours, baseline, theirs, limit);
}

// The row of a table that replaces most in text: a single pass of it is real work.
std::span<const ReplacementRow> BusiestRow(std::span<const ReplacementRow> rows, const QString &text)
{
    size_t busiest = 0;
    qsizetype most = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const qsizetype count = text.count(rows[i].search.toString());
        if (count > most) {
            most = count;
            busiest = i;
        }
    }
    return rows.subspan(busiest, 1);
}

void CompareCommand(const CommandRegistry &registry, const char *id, const QString &input)
{
    const Command *command = registry.Find(QString::fromLatin1(id));
    QPlainTextEdit edit;
    edit.resize(800, 600);
    edit.show();
    PlainTextEditText editor(&edit);
    ScriptedQuestions ask;
    SessionState session;
    CommandHost host;
    CommandContext context{editor, ask, session, host};
    // As the window runs a text command: one undo step.
    auto runCommand = [&] {
        editor.BeginCommand();
        RunCommand(*command, context);
        editor.EndCommand();
    };
    QPlainTextEdit plain;
    plain.resize(800, 600);
    plain.show();
    edit.setPlainText(input);
    runCommand();
    const QString result = editor.Text();
    double ours = 1e300;
    double theirs = 1e300;
    double reading = 1e300;
    for (int run = 0; run < 3; ++run) {
        edit.setPlainText(input);
        plain.setPlainText(input);
        QApplication::processEvents();
        ours = std::min(ours, Milliseconds([&] {
            runCommand();
            QApplication::processEvents();
        }));
        theirs = std::min(theirs, Milliseconds([&] {
            plain.setPlainText(result);
            QApplication::processEvents();
        }));
        reading = std::min(reading, Milliseconds([&] { editor.Text(); }));
    }
    // The changed span replaced as one undoable edit, as the editor once wrote it.
    double floor = 1e300;
    for (int run = 0; run < 3; ++run) {
        edit.setPlainText(input);
        QApplication::processEvents();
        const QString before = editor.Text();
        qsizetype prefix = 0;
        while (prefix < before.size() && prefix < result.size() && before[prefix] == result[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < before.size() - prefix && suffix < result.size() - prefix
               && before[before.size() - 1 - suffix] == result[result.size() - 1 - suffix])
            ++suffix;
        const QString added = result.mid(prefix, result.size() - prefix - suffix);
        floor = std::min(floor, Milliseconds([&] {
            editor.BeginCommand();
            editor.Replace(int(prefix), int(before.size() - prefix - suffix), added);
            editor.EndCommand();
            QApplication::processEvents();
        }));
    }
    Report(id, ours, "setPlainText of the result", theirs, 1.3);
    std::printf("%-34s %9.1f ms   reading the widget's text once\n", "", reading);
    std::printf("%-34s %9.1f ms   one undoable replacement of the whole changed span (ratio %.2f)\n",
                "", floor, floor / theirs);
}

struct ProcessRun
{
    double milliseconds = 0;
    qint64 peakKilobytes = 0;
};

// One whole process, its wall time and the peak memory /usr/bin/time reports for it.
ProcessRun RunTimed(const QString &program, const QStringList &arguments, const QString &input,
                    const QString &output)
{
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    process.setStandardOutputFile(output);
    ProcessRun run;
    run.milliseconds = Milliseconds([&] {
        process.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-v"), program} + arguments);
        process.waitForFinished(-1);
    });
    const QString report = QString::fromLocal8Bit(process.readAllStandardError());
    const qsizetype at = report.indexOf(QLatin1String("Maximum resident set size (kbytes): "));
    if (at >= 0)
        run.peakKilobytes = report.mid(at + 36).section(QLatin1Char('\n'), 0, 0).toLongLong();
    return run;
}

void CompareWithRecode(const QString &input)
{
    const QString recode = QStandardPaths::findExecutable(QStringLiteral("recode"));
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool");
    if (recode.isEmpty() || !QFile::exists(QStringLiteral("/usr/bin/time")) || !QFile::exists(tool)) {
        std::printf("recode, /usr/bin/time or tolvanet-tool is missing: no comparison\n");
        return;
    }
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("in.txt"));
    const QString target = folder.filePath(QStringLiteral("out.html"));
    {
        QFile file(source);
        file.open(QIODevice::WriteOnly);
        file.write(input.toLatin1());
    }
    ProcessRun ours{1e300, 0};
    ProcessRun theirs{1e300, 0};
    for (int run = 0; run < kRuns; ++run) {
        const ProcessRun tool1 = RunTimed(tool, {QStringLiteral("accents-to-html"), source}, QString(), target);
        const ProcessRun recode1 = RunTimed(recode, {QStringLiteral("latin1..html")}, source, target);
        ours = {std::min(ours.milliseconds, tool1.milliseconds), std::max(ours.peakKilobytes, tool1.peakKilobytes)};
        theirs = {std::min(theirs.milliseconds, recode1.milliseconds),
                  std::max(theirs.peakKilobytes, recode1.peakKilobytes)};
    }
    const double documentMegabytes = QFileInfo(source).size() / 1e6;
    std::printf("%-34s %9.1f ms   %-40s %9.1f ms   ratio %5.2f (limit 1.0)\n",
                "tolvanet-tool accents-to-html", ours.milliseconds, "recode latin1..html",
                theirs.milliseconds, ours.milliseconds / theirs.milliseconds);
    std::printf("%-34s %9.1f MB   %-40s %9.1f MB   %.2f x the %.1f MB document (limit 4)\n",
                "  peak memory", ours.peakKilobytes / 1e3, "", theirs.peakKilobytes / 1e3,
                ours.peakKilobytes / 1e3 / documentMegabytes, documentMegabytes);
    const double compute = BestMilliseconds([&] { AccentsToHtml(input); });
    std::printf("%-34s %9.1f ms   %-40s %9.1f ms   ratio %5.2f\n", "accents-to-html computation",
                compute, "recode latin1..html", theirs.milliseconds, compute / theirs.milliseconds);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    FiguresInTheCLocale();
    const QString document = MakeDocument();
    const QString html = AccentsToHtml(document).text;
    const QString escaped = AccentsToUnicode(document).text;
    std::printf("document: %lld characters\n\n", qlonglong(document.size()));

    // A single pass for the one-pass tables: their first row.
    CompareComputation("accents-to-html", document, AccentsToHtml,
                       BusiestRow(AccentsToHtmlRows(), document), 2);
    CompareComputation("html-to-accents", html, HtmlToAccents, BusiestRow(HtmlToAccentsRows(), html), 2);
    CompareComputation("accents-to-unicode", document, AccentsToUnicode,
                       BusiestRow(AccentsToUnicodeRows(), document), 2);
    CompareComputation("unicode-to-accents", escaped, UnicodeToAccents,
                       BusiestRow(UnicodeToAccentsRows(), escaped), 2);
    CompareComputation("delphi-to-java", document, DelphiToJava, DelphiToJavaRows(), 2);
    const ReplacementRow openings[] = {{u"<", u""}};
    CompareComputation("strip-tags", document, RemoveTags, openings, 2);
    CompareComputation("clean-word-html", document, CleanWordHtml, CleanWordHtmlRows(), 2);
    std::printf("\n");

    CommandRegistry registry;
    RegisterHtmlCommands(registry);
    RegisterJavaCommands(registry);
    CompareCommand(registry, "accents-to-html", document);
    CompareCommand(registry, "html-to-accents", html);
    CompareCommand(registry, "delphi-to-java", document);
    CompareCommand(registry, "strip-tags", document);
    std::printf("\n");

    CompareWithRecode(document);

    std::printf("\ndegenerate 10 MB documents:\n");
    for (const QChar c : {QChar(u'<'), QChar(u'='), QChar(u'é')}) {
        const QString text(10'000'000, c);
        std::printf("  all '%s': strip-tags %.1f ms, delphi-to-java %.1f ms, accents-to-html %.1f ms\n",
                    QString(c).toUtf8().constData(),
                    BestMilliseconds([&] { RemoveTags(text); }),
                    Milliseconds([&] { DelphiToJava(text); }),
                    BestMilliseconds([&] { AccentsToHtml(text); }));
    }
    const QString accents(10'000'000, u'é');
    std::printf("  all '\u00e9' with one QString::replace pass to &eacute;: %.1f ms\n",
                BestMilliseconds([&] { QString(accents).replace(QStringLiteral("é"), QStringLiteral("&eacute;")); }));
    return 0;
}
