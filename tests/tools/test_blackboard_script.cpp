#include "app/Command.h"
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

// Remembers the captions a command shows.
class RecordingHost : public CommandHost
{
public:
    void ShowProgress(const QString &text) override { captions << text; }
    QStringList captions;
};

struct CommandRun
{
    explicit CommandRun(const QString &text) : editor(text) {}

    PlainEditorText editor;
    ScriptedQuestions ask;
    SessionState session;
    RecordingHost host;

    void Run()
    {
        CommandRegistry registry;
        RegisterBlackboardCommands(registry);
        CommandContext context{editor, ask, session, host};
        RunCommand(*registry.Find(QStringLiteral("blackboard-to-html5")), context);
    }
};

} // namespace

class TestBlackboardScript : public QObject
{
    Q_OBJECT

private slots:
    void twoPoints();
    void missingAndExtraLines();
    void noPoints_data();
    void noPoints();
    void parseDecimalInteger_data();
    void parseDecimalInteger();
    void commandReplacesTextAndShowsEachPoint();
    void commandRefusesBadCount_data();
    void commandRefusesBadCount();
};

void TestBlackboardScript::twoPoints()
{
    QStringList input{QStringLiteral("2")};
    for (int i = 1; i <= 12; ++i)
        input << QStringLiteral("v%1").arg(i);
    const BlackboardScript script = BuildBlackboardScript(input.join(QLatin1Char('\n')));
    QVERIFY(script.built);
    QCOMPARE(script.script,
             Script(QStringLiteral("2"),
                    {QStringLiteral("p[1][0]=v1;"), QStringLiteral("p[1][1]=v2;"),
                     QStringLiteral("p[1][2]=v3;"), QStringLiteral("p[1][3]=v4;"),
                     QStringLiteral("p[1][4]=v5;"), QStringLiteral("pt[1]=v6;"),
                     QStringLiteral("p[2][0]=v7;"), QStringLiteral("p[2][1]=v8;"),
                     QStringLiteral("p[2][2]=v9;"), QStringLiteral("p[2][3]=v10;"),
                     QStringLiteral("p[2][4]=v11;"), QStringLiteral("pt[2]=v12;")}));
}

void TestBlackboardScript::missingAndExtraLines()
{
    // Values are copied as they stand; missing ones are empty, lines past the last point lost.
    const BlackboardScript shortInput =
        BuildBlackboardScript(QStringLiteral("2\n1.5\n\t2\n3\n4\n5\n6\n7\n8\n9\n"));
    QVERIFY(shortInput.script.endsWith(
        QStringLiteral("p[2][0]=7;\np[2][1]=8;\np[2][2]=9;\np[2][3]=;\np[2][4]=;\npt[2]=;\n")));
    QVERIFY(shortInput.script.contains(QStringLiteral("\np[1][1]=\t2;\n")));

    const BlackboardScript longInput =
        BuildBlackboardScript(QStringLiteral("1\na\nb\nc\nd\ne\nf\nlost\nlost too"));
    QVERIFY(longInput.script.endsWith(QStringLiteral("p[1][4]=e;\npt[1]=f;\n")));
    QVERIFY(!longInput.script.contains(QStringLiteral("lost")));

    // A large count with few lines still gives every point.
    const BlackboardScript many = BuildBlackboardScript(QStringLiteral("100000\n1\n2"));
    QVERIFY(many.built);
    QVERIFY(many.script.endsWith(QStringLiteral("p[100000][4]=;\npt[100000]=;\n")));
    QCOMPARE(many.script.count(QLatin1Char('\n')), 13 + 600000);
}

void TestBlackboardScript::noPoints_data()
{
    QTest::addColumn<QString>("count");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("negative") << QStringLiteral("-5");
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
    CommandRun run(QStringLiteral("3\n1\n2\n3\n4\n5\n6"));
    run.Run();
    QVERIFY(run.editor.Text().startsWith(QStringLiteral("var npTotal=3;\n\nfunction")));
    QVERIFY(run.editor.Text().endsWith(QStringLiteral("p[3][4]=;\npt[3]=;\n")));
    QCOMPARE(run.host.captions,
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QString()}));
    QVERIFY(run.ask.messages.isEmpty());

    CommandRegistry registry;
    RegisterBlackboardCommands(registry);
    const Command *command = registry.FindByName(QStringLiteral("MenuPissarraaHTML5"));
    QVERIFY(command);
    QCOMPARE(command->menu, QString());
    QCOMPARE(command->caption, QStringLiteral("Pissarra a HTML5"));
}

void TestBlackboardScript::commandRefusesBadCount_data()
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
}

void TestBlackboardScript::commandRefusesBadCount()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    CommandRun run(text);
    run.Run();
    QCOMPARE(run.ask.messages, QStringList{message});
    QCOMPARE(run.editor.Text(), text);
    QVERIFY(!run.editor.Modified());
    QVERIFY(run.host.captions.isEmpty());
}

QTEST_APPLESS_MAIN(TestBlackboardScript)
#include "test_blackboard_script.moc"
