#include "app/benchmark/BenchmarkCommand.h"
#include "app/benchmark/BenchmarkLoops.h"
#include "app/benchmark/BenchmarkReport.h"
#include "tests/common/CommandRun.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// The report with every time replaced by "T" and the date line by its prefix.
QStringList Shape(QStringList report)
{
    static const QRegularExpression time(QStringLiteral("\t\\d+$"));
    for (QString &line : report) {
        line.replace(time, QStringLiteral("\tT"));
        if (line.startsWith(QStringLiteral("Avui és ")))
            line = QStringLiteral("Avui és DATE");
    }
    return report;
}

} // namespace

class TestBenchmarkReport : public QObject
{
    Q_OBJECT

private slots:
    void reportLinesInOrder();
    void countsScaleWithIterations_data();
    void countsScaleWithIterations();
    void loopsRunTheirFullCount();
    void commandAppendsAfterTheText_data();
    void commandAppendsAfterTheText();
};

void TestBenchmarkReport::reportLinesInOrder()
{
    const QStringList report = RunBenchmarkReport(BenchmarkCounts::ForIterations(1000));
    QStringList expected{
        QStringLiteral("Mesurador de performances de l'ordinador - v:1.06 - 17/02/2010"
                       " - Tolvanet Corvalida"),
        QStringLiteral("Avui és DATE"),
        QString(),
        QStringLiteral("Rendiment del llenguatge C++ en càlculs"),
        QString(),
        QStringLiteral("1000 operacions, resultats en milisegons"),
        QString(),
        QStringLiteral("Temps del comptador (FOR):\tT"),
        QString(),
        QStringLiteral("ENTERS"),
    };
    const auto results = [&expected](std::initializer_list<const char *> labels) {
        for (const char *label : labels)
            expected << QLatin1String(label) + QStringLiteral("\tT");
    };
    results({"E+E=E", "E*E=E", "E*E=R", "E/E=R", "E*E=D", "E/E=D", "EmE=E"});
    expected << QString() << QStringLiteral("LongInt");
    results({"L+L=L", "L*L=L", "L/L=R", "LmL=L"});
    expected << QString() << QStringLiteral("SINGLE");
    results({"s+s=s", "s*s=s", "s*s=D", "s*E=s", "s*L=s", "s*D=D", "s/s=s"});
    expected << QString() << QStringLiteral("DOUBLE");
    results({"D+D=D", "D*D=D", "D/D=D"});
    expected << QString() << QStringLiteral("Comparació d'enters");
    results({"E1>E2=false", "E1>E2=true"});
    expected << QString() << QStringLiteral("Procés de gestió de memoria - Escritura i lectura d'1 Mega")
             << QStringLiteral("C++");
    results({"Temps comptador =", "Data2^[i]:=Data1^[i], temps ="});
    expected << QString() << QStringLiteral("Total:\tT") << QString()
             << QStringLiteral("Procés finalitzat");
    QCOMPARE(Shape(report), expected);

    // A result line holds one tab; no other line holds any.
    static const QRegularExpression result(QStringLiteral("^[^\t]+\t\\d+$"));
    for (const QString &line : report)
        QVERIFY2(result.match(line).hasMatch() || !line.contains(QLatin1Char('\t')),
                 qPrintable(line));
    QVERIFY(report.at(1).size() > QStringLiteral("Avui és ").size());
}

void TestBenchmarkReport::countsScaleWithIterations_data()
{
    QTest::addColumn<qint64>("iterations");
    QTest::addColumn<qint64>("calculation");
    QTest::addColumn<qint64>("memory");
    QTest::newRow("default") << qint64(0) << qint64(1000000000) << qint64(1048576);
    QTest::newRow("negative is the default") << qint64(-7) << qint64(1000000000) << qint64(1048576);
    QTest::newRow("the design's count") << qint64(1000000000) << qint64(1000000000) << qint64(1048576);
    QTest::newRow("a thousandth") << qint64(1000000) << qint64(1000000) << qint64(1049);
    QTest::newRow("never below one") << qint64(1) << qint64(1) << qint64(1);
    QTest::newRow("ten times") << qint64(10000000000) << qint64(10000000000) << qint64(10485760);
}

void TestBenchmarkReport::countsScaleWithIterations()
{
    QFETCH(qint64, iterations);
    QFETCH(qint64, calculation);
    QFETCH(qint64, memory);
    const BenchmarkCounts counts = BenchmarkCounts::ForIterations(iterations);
    QCOMPARE(counts.calculationTurns, calculation);
    QCOMPARE(counts.memoryTurns, memory);
}

void TestBenchmarkReport::loopsRunTheirFullCount()
{
    // Each turn reads and writes memory; an optimised-away loop would take no time.
    const qint64 turns = 200'000'000;
    QVERIFY(BenchmarkLoops::TimeCountedLoop(turns) >= 10);
    QVERIFY(BenchmarkLoops::TimeForLoop(turns) >= 10);
    QVERIFY(BenchmarkLoops::TimeComparisonLoop(1, 2, turns) >= 10);
    QVERIFY(BenchmarkLoops::TimeComparisonLoop(2, 1, turns) >= 10);
    QCOMPARE(BenchmarkLoops::TimeMemoryCopy(0), qint64(0));
}

void TestBenchmarkReport::commandAppendsAfterTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("before");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("without a final break") << QStringLiteral("abc\ndef")
                                           << QStringLiteral("abc\ndef\n");
    QTest::newRow("with a final break") << QStringLiteral("abc\n") << QStringLiteral("abc\n");
}

void TestBenchmarkReport::commandAppendsAfterTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, before);
    CommandRun run(RegisterBenchmarkCommand, text);
    run.session.benchmarkIterations = 1000;
    run.editor.Select(0, 0);
    QVERIFY(run.Run(QStringLiteral("benchmark")));
    const QString result = run.editor.Text();
    QVERIFY(result.startsWith(before + QStringLiteral("Mesurador de performances")));
    QVERIFY(result.endsWith(QStringLiteral("\nProcés finalitzat\n")));
    QVERIFY(result.contains(QStringLiteral("\n1000 operacions, resultats en milisegons\n")));
    QCOMPARE(run.host.busyChanges, (QList<bool>{true, false}));
    QCOMPARE(run.editor.SelStart(), run.editor.Length());
}

QTEST_APPLESS_MAIN(TestBenchmarkReport)
#include "test_benchmark_report.moc"
