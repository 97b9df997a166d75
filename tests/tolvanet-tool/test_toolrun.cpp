#include "core/Command.h"
#include "tolvanet-tool/ToolRun.h"

#include <QtTest>

class TestToolRun : public QObject
{
    Q_OBJECT

    // A command that reports where the caret and selection stood, and what it was told.
    static CommandRegistry Registry()
    {
        CommandRegistry registry;
        Command probe;
        probe.id = "probe";
        probe.run = [](CommandContext &ctx) {
            const auto name = ctx.ask.AskText("t", "p", "i");
            ctx.editor.SetText(QString("%1:%2:%3:%4:%5\n")
                                   .arg(ctx.editor.SelStart())
                                   .arg(ctx.editor.SelLength())
                                   .arg(name.value_or("-"))
                                   .arg(ctx.session.showMathSteps)
                                   .arg(ctx.session.javaMenuName));
        };
        registry.Add(probe);
        Command refuse;
        refuse.id = "refuse";
        refuse.run = [](CommandContext &ctx) {
            ctx.editor.SetText("changed");
            ctx.ask.Message("ERROR DE ANÁLISIS\n\n\n");
        };
        registry.Add(refuse);
        return registry;
    }

    static ToolOutcome Run(const QStringList &arguments, const QString &document, const QString &command = "probe")
    {
        QString error;
        auto options = ParseToolOptions(arguments, &error);
        if (!options)
            return ToolOutcome{-1, QString(), error};
        options->command = command;
        return RunTextCommand(Registry(), *options, document);
    }

private slots:
    void caretPlacement_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last line by default") << QStringList{} << "ab\ncd\n" << "3:0:-:1:\n";
        QTest::newRow("last line without final break") << QStringList{} << "ab\ncd" << "3:0:-:1:\n";
        QTest::newRow("empty document") << QStringList{} << "" << "0:0:-:1:\n";
        QTest::newRow("line 0") << QStringList{"--line", "0"} << "ab\ncd\n" << "0:0:-:1:\n";
        QTest::newRow("selection") << QStringList{"--select", "1:2"} << "abcd" << "1:2:-:1:\n";
        QTest::newRow("answers and switches") << QStringList{"--name", "Fitxer", "--no-steps", "--menu", "Ajuda"}
                                              << "x" << "0:0:Fitxer:0:Ajuda\n";
    }
    void caretPlacement()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, document);
        QFETCH(QString, expected);
        const ToolOutcome outcome = Run(arguments, document);
        QCOMPARE(outcome.errors, QString());
        QCOMPARE(outcome.exitStatus, 0);
        QCOMPARE(outcome.output, expected);
    }

    void aMessageBoxGoesToStandardErrorWithStatusTwo()
    {
        const ToolOutcome outcome = Run({}, "1+", "refuse");
        QCOMPARE(outcome.exitStatus, 2);
        QCOMPARE(outcome.output, QString());
        QCOMPARE(outcome.errors, QString::fromUtf8("ERROR DE ANÁLISIS\n\n\n\n"));
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("line without number") << QStringList{"--line"};
        QTest::newRow("negative line") << QStringList{"--line", "-1"};
        QTest::newRow("selection without length") << QStringList{"--select", "3"};
        QTest::newRow("unknown option") << QStringList{"--colour"};
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"};
        QTest::newRow("zero iterations") << QStringList{"--iterations", "0"};
    }
    void badArguments()
    {
        QFETCH(QStringList, arguments);
        QString error;
        QVERIFY(!ParseToolOptions(arguments, &error));
        QVERIFY(!error.isEmpty());
    }

    void unknownCommandsAndLinesPastTheEndAreRefused()
    {
        QCOMPARE(Run({}, "x", "nothing").exitStatus, 1);
        QCOMPARE(Run({"--line", "5"}, "a\nb\n").exitStatus, 1);
    }
};

QTEST_APPLESS_MAIN(TestToolRun)
#include "test_toolrun.moc"
