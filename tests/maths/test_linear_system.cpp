#include "maths/LinearSystem.h"

#include <QtTest>

namespace {

// The lines of a step text, each of which follows a line break.
QStringList Lines(const QString &stepText)
{
    if (!stepText.startsWith(QLatin1Char('\n')))
        return {QStringLiteral("<no leading line break>")};
    return stepText.mid(1).split(QLatin1Char('\n'));
}

// The values after "Solució: ", one per variable.
QStringList Answer(const QString &stepText)
{
    const QStringList lines = Lines(stepText);
    const qsizetype at = lines.lastIndexOf(QStringLiteral("Solució: "));
    if (at < 0)
        return {};
    QStringList answer = lines.mid(at + 2);
    answer.removeLast();
    return answer;
}

SystemSolution Solve(const QString &lines, bool showSteps = true)
{
    return SolveSystem(lines.split(QLatin1Char('|')), showSteps);
}

const QString Tab = QStringLiteral("\t");

} // namespace

class TestLinearSystem : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleLineForLine();
    void workedExampleWithStepsHidden();
    void divisionByANegativeCoefficientWritesNegativeZeros();
    void pivotChoiceAndExchanges_data();
    void pivotChoiceAndExchanges();
    void reordersEquationsWhoseLeadsAreOutOfOrder();
    void incompatibleSystems_data();
    void incompatibleSystems();
    void indeterminateSystemsMoveFreeVariables_data();
    void indeterminateSystemsMoveFreeVariables();
    void readsOnlyEquationsOfTheRightShape_data();
    void readsOnlyEquationsOfTheRightShape();
    void zeroEquationsAndColumnsAreDropped();
    void aSixthLineIsNeverRead();
    void roundingResiduesCountAsZero();
    void overflowingCoefficientsStopWithAMessage();
    void finalAnswerSurvivesTheStepLimitWithoutGaps();
};

void TestLinearSystem::workedExampleLineForLine()
{
    const SystemSolution solution = Solve(QStringLiteral("x+y=3|x+2y=5"));
    QCOMPARE(solution.code, SystemSolved);
    const QStringList expected = {
        QString(),
        QStringLiteral("Equació inicial:"),
        QString(),
        Tab + "+x" + Tab + "+y" + Tab + "=" + Tab + "+3",
        Tab + "+x" + Tab + "+2y" + Tab + "=" + Tab + "+5",
        QString(),
        QString(),
        QStringLiteral("Multipliquem la 1ª equació per (-1) i ho sumem a la 2ª equació "
                       "multiplicada per 1 ."),
        QString(),
        Tab + "+x" + Tab + "+y" + Tab + "=" + Tab + "+3",
        Tab + "0x" + Tab + "+y" + Tab + "=" + Tab + "+2",
        QString(),
        QString(),
        QStringLiteral("Multipliquem la 2ª equació per (-1) i ho sumem a la 1ª equació "
                       "multiplicada per 1 ."),
        QString(),
        Tab + "+x" + Tab + "0y" + Tab + "=" + Tab + "+1",
        Tab + "0x" + Tab + "+y" + Tab + "=" + Tab + "+2",
        QString(),
        QString(),
        QString(),
        QStringLiteral("SISTEMA COMPATIBLE DETERMINAT."),
        QString(),
        QStringLiteral("Solució: "),
        QString(),
        QStringLiteral("x = +1"),
        QStringLiteral("y = +2"),
        QString(),
    };
    QCOMPARE(Lines(solution.stepText), expected);
}

void TestLinearSystem::workedExampleWithStepsHidden()
{
    const SystemSolution solution = Solve(QStringLiteral("x+y=3|x+2y=5"), false);
    QCOMPARE(solution.code, SystemSolved);
    QCOMPARE(Lines(solution.stepText),
             QStringList({QString(), QString(), QStringLiteral("SISTEMA COMPATIBLE DETERMINAT."),
                          QString(), QStringLiteral("Solució: "), QString(),
                          QStringLiteral("x = +1"), QStringLiteral("y = +2"), QString()}));
}

void TestLinearSystem::divisionByANegativeCoefficientWritesNegativeZeros()
{
    const SystemSolution solution = Solve(QStringLiteral("x+y=3|x-y=1"));
    const QStringList lines = Lines(solution.stepText);
    QVERIFY(lines.contains(QStringLiteral("Multipliquem la 1ª equació per (-1) i ho sumem a la "
                                          "2ª equació multiplicada per 1 .")));
    QVERIFY(lines.contains(Tab + "0x" + Tab + "-2y" + Tab + "=" + Tab + "-2"));
    QVERIFY(lines.contains(QStringLiteral("Multipliquem la 2ª equació per (-1) i ho sumem a la "
                                          "1ª equació multiplicada per (-2) .")));
    const qsizetype division =
        lines.indexOf(QStringLiteral("Dividim cada equació pel coeficient de la seva incògnita."));
    QVERIFY(division > 0);
    QCOMPARE(lines.at(division + 2), Tab + "+x" + Tab + "-0y" + Tab + "=" + Tab + "+2");
    QCOMPARE(lines.at(division + 3), Tab + "-0x" + Tab + "+y" + Tab + "=" + Tab + "+1");
    QCOMPARE(Answer(solution.stepText), QStringList({"x = +2", "y = +1"}));
}

void TestLinearSystem::pivotChoiceAndExchanges_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QStringList>("answer");
    QTest::newRow("smallest coefficient without exchange") << "2x+4y=2|3x+y=5"
        << "Multipliquem la 1ª equació per (-3) i ho sumem a la 2ª equació multiplicada per 2 ."
        << QStringList({"x = +1.8", "y = -0.4"});
    QTest::newRow("coefficient 1 preferred") << "3x+y=5|x+y=3"
        << "Canviat l'ordre de les equacions:\t1ª,\t2ª." << QStringList({"x = +1", "y = +2"});
    QTest::newRow("coefficient -1 before a smaller one") << "2x+y=1|5x-y=3|-x+y=4"
        << "Canviat l'ordre de les equacions:\t1ª,\t3ª." << QStringList();
    QTest::newRow("zero coefficient is never the pivot") << "3x+y=5|0x+y=2"
        << "Multipliquem la 2ª equació per (-1) i ho sumem a la 1ª equació multiplicada per 1 ."
        << QStringList({"x = +1", "y = +2"});
    QTest::newRow("third of a unit") << "3x=1" << "Dividim cada equació pel coeficient de la seva incògnita."
        << QStringList({"x = +0.333333"});
}

void TestLinearSystem::pivotChoiceAndExchanges()
{
    QFETCH(QString, system);
    QFETCH(QString, step);
    QFETCH(QStringList, answer);
    const SystemSolution solution = Solve(system);
    QCOMPARE(solution.code, SystemSolved);
    QVERIFY(Lines(solution.stepText).contains(step));
    QCOMPARE(solution.stepText.contains(QStringLiteral("Canviat")), step.startsWith(QStringLiteral("Canviat")));
    if (!answer.isEmpty())
        QCOMPARE(Answer(solution.stepText), answer);
}

void TestLinearSystem::reordersEquationsWhoseLeadsAreOutOfOrder()
{
    const SystemSolution solution = Solve(QStringLiteral("x+y+z=1|x+y+2z=2|x+2y+z=3"));
    QVERIFY(Lines(solution.stepText).contains(QStringLiteral("Reordenem les equacions.")));
    QCOMPARE(Answer(solution.stepText), QStringList({"x = -2", "y = +2", "z = +1"}));
}

void TestLinearSystem::incompatibleSystems_data()
{
    QTest::addColumn<bool>("showSteps");
    QTest::addColumn<QString>("statement");
    QTest::newRow("steps shown") << true
        << "La 2ª equació té una contradicció. El sistema no té solucions. SISTEMA INCOMPATIBLE.";
    QTest::newRow("steps hidden") << false << "El sistema no té solucions. SISTEMA INCOMPATIBLE.";
}

void TestLinearSystem::incompatibleSystems()
{
    QFETCH(bool, showSteps);
    QFETCH(QString, statement);
    const SystemSolution solution = Solve(QStringLiteral("x+y=2|2x+2y=5"), showSteps);
    QCOMPARE(solution.code, SystemSolved);
    QVERIFY(solution.stepText.endsWith(QLatin1Char('\n') + statement + QLatin1Char('\n')));
    QVERIFY(!solution.stepText.contains(QStringLiteral("Solució")));
    if (!showSteps)
        QCOMPARE(Lines(solution.stepText), QStringList({QString(), statement, QString()}));
}

void TestLinearSystem::indeterminateSystemsMoveFreeVariables_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QStringList>("answer");
    QTest::newRow("dependent equation removed") << "x+y=2|2x+2y=4" << QStringList({"x = +2\t-y"});
    QTest::newRow("one equation, three variables") << "x+y+z=6" << QStringList({"x = +6\t-y\t-z"});
    QTest::newRow("halves after a negative division")
        << "x+y+z=6|x-y=0" << QStringList({"x = +3\t-0.5z", "y = +3\t-0.5z"});
    QTest::newRow("free variable between principal ones")
        << "x+y+z=3|x+y+2z=4" << QStringList({"x = +2\t-y", "z = +1\t0y"});
}

void TestLinearSystem::indeterminateSystemsMoveFreeVariables()
{
    QFETCH(QString, system);
    QFETCH(QStringList, answer);
    for (const bool showSteps : {true, false}) {
        const SystemSolution solution = Solve(system, showSteps);
        QCOMPARE(solution.code, SystemSolved);
        QVERIFY(solution.stepText.contains(QStringLiteral("\nSISTEMA COMPATIBLE INDETERMINAT.\n\nSolució: ")));
        QCOMPARE(Answer(solution.stepText), answer);
        QCOMPARE(solution.stepText.contains(QStringLiteral("Passem les incògnites no principals")),
                 showSteps);
        QCOMPARE(solution.stepText.contains(QStringLiteral("\nEliminem la 2ª equació.\n")),
                 showSteps && system == QStringLiteral("x+y=2|2x+2y=4"));
    }
}

void TestLinearSystem::readsOnlyEquationsOfTheRightShape_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");
    QTest::newRow("variables out of order") << "y+x=3" << 1120;
    QTest::newRow("constant on the left") << "2x+1=3" << 1120;
    QTest::newRow("sum on the right") << "x+y=1+1" << 1120;
    QTest::newRow("variable twice") << "x+x=2" << 1120;
    QTest::newRow("product after the variable") << "3x*2=6" << 1120;
    QTest::newRow("no equals sign") << "x+y" << 1120;
    QTest::newRow("equals sign first") << "=x=3" << 1120;
    QTest::newRow("equals sign last") << "x=" << 1120;
    QTest::newRow("function") << "sin(x)=1" << 1120;
    QTest::newRow("empty") << "" << 1101;
    QTest::newRow("blanks only") << " \t " << 1101;
    QTest::newRow("product on the right") << "x=2*3" << 0;
    QTest::newRow("signs and decimals") << "-2x+0,5y - z = -4" << 0;
    QTest::newRow("capitals and blanks") << " X - Y + U = 1 " << 0;
}

void TestLinearSystem::readsOnlyEquationsOfTheRightShape()
{
    QFETCH(QString, line);
    QFETCH(int, code);
    QCOMPARE(int(SolveSystem({line}, false).code), code);
    QCOMPARE(IsEquationLine(line), code == 0);
}

void TestLinearSystem::zeroEquationsAndColumnsAreDropped()
{
    QCOMPARE(Solve(QStringLiteral("0x=5")).code, AllCoefficientsZero);
    const SystemSolution dropped = Solve(QStringLiteral("x+y=3|0x+0y=5"), false);
    QCOMPARE(dropped.code, SystemSolved);
    QCOMPARE(Answer(dropped.stepText), QStringList({"x = +3\t-y"}));
    const SystemSolution alone = Solve(QStringLiteral("x+0y=2"));
    QCOMPARE(Answer(alone.stepText), QStringList({"x = +2"}));
    QVERIFY(!alone.stepText.contains(QLatin1Char('y')));
    // A removed variable leaves the constant where it was.
    const SystemSolution middle = Solve(QStringLiteral("x+0y+z=5|x-z=1"), false);
    QCOMPARE(Answer(middle.stepText), QStringList({"x = +3", "z = +2"}));
}

void TestLinearSystem::aSixthLineIsNeverRead()
{
    const SystemSolution solution = Solve(QStringLiteral("x=1|y=2|z=3|u=4|v=5|x=7"), false);
    QCOMPARE(solution.code, SystemSolved);
    QCOMPARE(Answer(solution.stepText),
             QStringList({"x = +1", "y = +2", "z = +3", "u = +4", "v = +5"}));
}

void TestLinearSystem::roundingResiduesCountAsZero()
{
    // The third equation is three times the first; residues of the eliminations
    // must not make the system look contradictory.
    const SystemSolution solution = Solve(QStringLiteral("0,1x+0,3y=1|0,7x+0,1y=2|0,3x+0,9y=3"));
    QCOMPARE(solution.code, SystemSolved);
    QVERIFY(solution.stepText.contains(QStringLiteral("SISTEMA COMPATIBLE DETERMINAT.")));
    QCOMPARE(Answer(solution.stepText), QStringList({"x = +2.5", "y = +2.5"}));
}

void TestLinearSystem::overflowingCoefficientsStopWithAMessage()
{
    // Eliminations that keep whole numbers whole multiply magnitudes: three-digit
    // coefficients in five equations go beyond what a double holds.
    const QString big = QStringLiteral("9999999999999999999*9999999999999999999");
    const QList<QStringList> systems = {
        {"213x-457y+389z+112u-678v=101", "-345x+234y+567z-891u+123v=202",
         "456x+789y-123z+345u+567v=-303", "-678x-912y+234z+456u-789v=404",
         "891x+123y+456z-789u+912v=-505"},
        {big + "x+2y+3z+4u+5v=1", big + "x-7y+5z-3u+2v=2", big + "x+4y-9z+8u-6v=3",
         big + "x+9y+3z-5u-7v=4", big + "x-6y-8z-2u+9v=5"},
    };
    for (const QStringList &system : systems)
        for (const bool showSteps : {true, false}) {
            const SystemSolution solution = SolveSystem(system, showSteps);
            QCOMPARE(solution.code, CoefficientsTooLarge);
            QVERIFY(solution.stepText.isEmpty());
        }
    QVERIFY(!SystemMessage(CoefficientsTooLarge).isEmpty());
}

void TestLinearSystem::finalAnswerSurvivesTheStepLimitWithoutGaps()
{
    const QStringList system = {QStringLiteral("2x+3y-z=1"), QStringLiteral("4x-y+2z=3"),
                                QStringLiteral("-3x+2y+5z=2")};
    const SystemSolution full = SolveSystem(system, true);
    const SystemSolution hidden = SolveSystem(system, false);
    const qsizetype answerAt = full.stepText.size() - hidden.stepText.size();
    QVERIFY(full.stepText.endsWith(hidden.stepText));
    for (const int limit : {0, 100, 400, 1000}) {
        const SystemSolution cut = SolveSystem(system, true, limit);
        QCOMPARE(cut.code, SystemSolved);
        QVERIFY(cut.stepText.endsWith(hidden.stepText));
        const QString steps = cut.stepText.chopped(hidden.stepText.size());
        QVERIFY(steps.size() <= limit);
        // What is kept of the steps is their beginning.
        QVERIFY(full.stepText.left(answerAt).startsWith(steps));
    }

    // The steps of a 5x5 system with small coefficients fit whole.
    const QStringList five = {"2x-4y+3z+u-6v=1", "-3x+2y+5z-8u+v=2", "4x+7y-z+3u+5v=-3",
                              "-6x-9y+2z+4u-7v=4", "8x+y+4z-7u+9v=-5"};
    const SystemSolution solution = SolveSystem(five, true);
    QCOMPARE(solution.stepText, SolveSystem(five, true, 1 << 30).stepText);
    QCOMPARE(Answer(solution.stepText).size(), 5);
}

QTEST_APPLESS_MAIN(TestLinearSystem)
#include "test_linear_system.moc"
