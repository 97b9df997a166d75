#include "tests/common/CommandRun.h"
#include "tools/BlackboardCommands.h"
#include "tools/BlackboardScript.h"

#include <QtTest>

namespace {

const QStringList HeadAfterCount{
    QString(),
    QStringLiteral("function Create2DArray(rows,columns) {"),
    QStringLiteral("  var x = new Array(rows+1);"),
    QStringLiteral("  for (var i = 0; i <= rows; i++) {"),
    QStringLiteral("    x[i] = new Array(columns);"),
    QStringLiteral("  }"),
    QStringLiteral("  return x;"),
    QStringLiteral("}"),
    QString(),
    QStringLiteral("var p = Create2DArray(npTotal,5);"),
    QStringLiteral("var pt = new Array(npTotal);"),
    QString(),
};

QString Script(const QString &count, const QStringList &points)
{
    return (QStringList{QStringLiteral("var npTotal=") + count + QLatin1Char(';')} + HeadAfterCount
            + points)
               .join(QLatin1Char('\n'))
           + QLatin1Char('\n');
}

} // namespace

class TestBlackboardScript : public QObject
{
    Q_OBJECT

private slots:
    void twoPoints();
    void extraLinesAreLostAndValuesKeepTheirBlanks();
    void leadingZerosNeverMakeOctalNumbers();
    void noPoints_data();
    void noPoints();
    void parseDecimalInteger_data();
    void parseDecimalInteger();
    void commandReplacesTextAndShowsEachPoint();
    void commandRefusesBadCountOrValues_data();
    void commandRefusesBadCountOrValues();
};

void TestBlackboardScript::twoPoints()
{
    QStringList input{QStringLiteral("2")};
    for (int i = 1; i <= 12; ++i)
        input << QStringLiteral("%1").arg(i);
    const BlackboardScript script = BuildBlackboardScript(input.join(QLatin1Char('\n')));
    QVERIFY(script.built);
    QCOMPARE(script.script,
             Script(QStringLiteral("2"),
                    {QStringLiteral("p[1][0]=1;"), QStringLiteral("p[1][1]=2;"),
                     QStringLiteral("p[1][2]=3;"), QStringLiteral("p[1][3]=4;"),
                     QStringLiteral("p[1][4]=5;"), QStringLiteral("pt[1]=6;"),
                     QStringLiteral("p[2][0]=7;"), QStringLiteral("p[2][1]=8;"),
                     QStringLiteral("p[2][2]=9;"), QStringLiteral("p[2][3]=10;"),
                     QStringLiteral("p[2][4]=11;"), QStringLiteral("pt[2]=12;")}));
}

void TestBlackboardScript::extraLinesAreLostAndValuesKeepTheirBlanks()
{
    const BlackboardScript script =
        BuildBlackboardScript(QStringLiteral("1\n1.5\n\t2\n-3\n4e2\n.5 \n6\nlost\nlost too"));
    QVERIFY(script.built);
    QVERIFY(script.script.endsWith(
        QStringLiteral("p[1][0]=1.5;\np[1][1]=\t2;\np[1][2]=-3;\np[1][3]=4e2;\np[1][4]=.5 ;\npt[1]=6;\n")));
    QVERIFY(!script.script.contains(QStringLiteral("lost")));
}

void TestBlackboardScript::leadingZerosNeverMakeOctalNumbers()
{
    const BlackboardScript script = BuildBlackboardScript(QStringLiteral("01\n010\n-007.5\n0\n0.25\n00\n+09e1"));
    QVERIFY(script.built);
    QVERIFY(script.script.startsWith(QStringLiteral("var npTotal=1;\n")));
    QVERIFY(script.script.endsWith(
        QStringLiteral("p[1][0]=10;\np[1][1]=-7.5;\np[1][2]=0;\np[1][3]=0.25;\np[1][4]=0;\npt[1]=+9e1;\n")));
}

void TestBlackboardScript::noPoints_data()
{
    QTest::addColumn<QString>("count");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("signed zero") << QStringLiteral("+0");
}

void TestBlackboardScript::noPoints()
{
    QFETCH(QString, count);
    const BlackboardScript script = BuildBlackboardScript(count + QStringLiteral("\n1\n2\n3"));
    QVERIFY(script.built);
    QCOMPARE(script.script, Script(count, {}));
}

void TestBlackboardScript::parseDecimalInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QStringLiteral("12") << true << 12;
    QTest::newRow("leading blanks") << QStringLiteral("  7") << true << 7;
    QTest::newRow("plus") << QStringLiteral("+3") << true << 3;
    QTest::newRow("minus") << QStringLiteral("-5") << true << -5;
    QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647;
    QTest::newRow("smallest") << QStringLiteral("-2147483648") << true << int(-2147483648LL);
    QTest::newRow("too large") << QStringLiteral("2147483648") << false << 0;
    QTest::newRow("far too large") << QStringLiteral("99999999999999999999999") << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("sign only") << QStringLiteral("-") << false << 0;
    QTest::newRow("trailing letters") << QStringLiteral("12abc") << false << 0;
    QTest::newRow("trailing blank") << QStringLiteral("12 ") << false << 0;
    QTest::newRow("decimal point") << QStringLiteral("1.5") << false << 0;
    QTest::newRow("non-ASCII digits") << QStringLiteral("١٢") << false << 0;
}

void TestBlackboardScript::parseDecimalInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<int> parsed = ParseDecimalInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestBlackboardScript::commandReplacesTextAndShowsEachPoint()
{
    QString input = QStringLiteral("3");
    for (int i = 1; i <= 18; ++i)
        input += QStringLiteral("\n%1").arg(i);
    CommandRun run(RegisterBlackboardCommands, input);
    QVERIFY(run.Run(QStringLiteral("blackboard-to-html5")));
    QVERIFY(run.editor.Text().startsWith(QStringLiteral("var npTotal=3;\n\nfunction")));
    QVERIFY(run.editor.Text().endsWith(QStringLiteral("p[3][4]=17;\npt[3]=18;\n")));
    QCOMPARE(run.host.captions,
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QString()}));
    QVERIFY(run.ask.messages.isEmpty());

    const Command *command = run.registry.FindByName(QStringLiteral("MenuPissarraaHTML5"));
    QVERIFY(command);
    QCOMPARE(command->menu, QString());
    QCOMPARE(command->caption, QStringLiteral("Pissarra a HTML5"));
}

void TestBlackboardScript::commandRefusesBadCountOrValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QStringLiteral("'' is not a valid integer value");
    QTest::newRow("letters after digits")
        << QStringLiteral("12abc\n1\n2") << QStringLiteral("'12abc' is not a valid integer value");
    QTest::newRow("out of range") << QStringLiteral("3000000000\n1")
                                  << QStringLiteral("'3000000000' is not a valid integer value");
    QTest::newRow("too many points")
        << QStringLiteral("2000000000\n1\n2")
        << QStringLiteral("Massa punts a la pissarra: 2000000000. El màxim és 10000000.");
    QTest::newRow("negative") << QStringLiteral("-5\n1\n2\n3")
                              << QStringLiteral("Nombre de punts negatiu a la pissarra: -5. El mínim és 0.");
    QTest::newRow("negative past the largest") << QStringLiteral("-2000000000")
                                               << QStringLiteral("Nombre de punts negatiu a la pissarra: -2000000000. "
                                                                 "El mínim és 0.");
    // Every value must be there and be a number, so that the script is valid JavaScript.
    const QString five = QStringLiteral("1\n1\n2\n3\n4\n5\n");
    QTest::newRow("a count with nothing after it")
        << QStringLiteral("10000000")
        << QStringLiteral("Falten valors: hi ha 10000000 punts i el punt 1 necessita la línia 2, "
                          "però el text s'acaba a la línia 1.");
    QTest::newRow("one line short") << QStringLiteral("2\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n")
                                    << QStringLiteral("Falten valors: hi ha 2 punts i el punt 2 necessita la línia 13, "
                                                      "però el text s'acaba a la línia 12.");
    QTest::newRow("empty value") << QStringLiteral("1\n1\n\n3\n4\n5\n6")
                                 << QStringLiteral("La línia 3 (valor 2 del punt 1) no és un nombre: «».");
    QTest::newRow("markup") << five + QStringLiteral("</script><script>alert(1)//")
                            << QStringLiteral("La línia 7 (valor 6 del punt 1) no és un nombre: "
                                              "«</script><script>alert(1)//».");
    QTest::newRow("a number and more") << QStringLiteral("1\n1;x=2\n2\n3\n4\n5\n6")
                                       << QStringLiteral("La línia 2 (valor 1 del punt 1) no és un nombre: «1;x=2».");
    QTest::newRow("exponent without digits") << QStringLiteral("1\n1e\n2\n3\n4\n5\n6")
                                             << QStringLiteral("La línia 2 (valor 1 del punt 1) no és un nombre: «1e».");
    QTest::newRow("lone point") << five + QStringLiteral(".")
                                << QStringLiteral("La línia 7 (valor 6 del punt 1) no és un nombre: «.».");
}

void TestBlackboardScript::commandRefusesBadCountOrValues()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    CommandRun run(RegisterBlackboardCommands, text);
    QVERIFY(run.Run(QStringLiteral("blackboard-to-html5")));
    QCOMPARE(run.ask.messages, QStringList{message});
    QCOMPARE(run.editor.Text(), text);
    QVERIFY(!run.editor.Modified());
    QVERIFY(run.host.captions.isEmpty());
}

QTEST_APPLESS_MAIN(TestBlackboardScript)
#include "test_blackboard_script.moc"
