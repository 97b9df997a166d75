#include "core/Command.h"
#include "maths/MathsCommands.h"
#include "tests/common/CommandRun.h"

#include <QtTest>

namespace {

// A document with the caret placed, and the maths commands run by id.
struct Session : CommandRun
{
    explicit Session(const QString &text, int caret = 0) : CommandRun(RegisterMathsCommands, text)
    {
        editor.SetSelStart(caret);
    }
};

const QString Tab = QStringLiteral("\t");

} // namespace

class TestMathsCommands : public QObject
{
    Q_OBJECT

private slots:
    void showStepsItemToggles();
    void calculateRewritesTheCaretLine_data();
    void calculateRewritesTheCaretLine();
    void calculateRefusalsLeaveTheDocument_data();
    void calculateRefusalsLeaveTheDocument();
    void systemInsertsTheWorkedExampleBelowTheCaretLine();
    void systemReadsOnlyTheCaretLineAndTheLinesAbove();
    void systemWithStepsHiddenInsertsOnlyTheAnswer();
    void systemRefusalsShowTheirMessages_data();
    void systemRefusalsShowTheirMessages();
};

void TestMathsCommands::showStepsItemToggles()
{
    Session run{QString()};
    const Command *steps = run.registry.FindByName(QStringLiteral("MenuMostrarPassesDeLesMatematiques"));
    QCOMPARE(steps->menu, QStringLiteral("MenuUtils"));
    QVERIFY(steps->checked(run.session));
    QVERIFY(run.Run(steps->id));
    QVERIFY(!steps->checked(run.session));
    QVERIFY(run.Run(steps->id));
    QVERIFY(run.session.showMathSteps);
    QCOMPARE(run.registry.FindByName(QStringLiteral("MenuCalcular"))->shortcut,
             QKeySequence(Qt::CTRL | Qt::Key_M));
    const QList<const Command *> menu = run.registry.InMenu(QStringLiteral("MenuMatematiques"));
    QCOMPARE(menu.size(), 2);
    QCOMPARE(menu.at(0)->name + menu.at(1)->name, QStringLiteral("MenuCalcularMenuSistema"));
}

void TestMathsCommands::calculateRewritesTheCaretLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks removed, last line gets a break") << "3 + 4" << 2 << "3+4 = 7\n";
    QTest::newRow("old result replaced")
        << "a\n10/3 = 9\nb" << 4 << "a\n10/3 = 3,333333\nb";
    QTest::newRow("caret at the start of the line") << "a\n2pi\nb" << 2 << "a\n2pi = 6,283186\nb";
    QTest::newRow("x counts as zero") << "x+1\n" << 0 << "x+1 = 1\n";
    QTest::newRow("letters keep their case") << "Seg(30)\n" << 0 << "Seg(30) = 0,5\n";
    // Blanks go before the length is limited, so the end of the sum is not lost.
    QTest::newRow("long run of blanks")
        << "1+1" + QString(253, QLatin1Char(' ')) + "+5" << 0 << "1+1+5 = 7\n";
}

void TestMathsCommands::calculateRewritesTheCaretLine()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, expected);
    Session run(text, caret);
    QVERIFY(run.Run(QStringLiteral("calc")));
    QCOMPARE(run.editor.Text(), expected);
    QVERIFY(run.ask.messages.isEmpty());
    QCOMPARE(run.editor.CurrentLineIndex(), int(text.left(caret).count(QLatin1Char('\n'))));
}

void TestMathsCommands::calculateRefusalsLeaveTheDocument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty line") << "1+1\n\n2" << 4 << "INFORMACIÓN\n\n\n";
    QTest::newRow("empty document") << "" << 0 << "INFORMACIÓN\n\n\n";
    QTest::newRow("operator after operator") << "2*-3" << 0 << "ERROR DE ANÁLISIS\n\n\n";
    QTest::newRow("blanks only") << "   " << 1 << "ERROR DE ANÁLISIS\n\n\n";
    QTest::newRow("too long without blanks")
        << QStringLiteral("1+").repeated(128) << 0 << "ERROR DE ANÁLISIS\n\n\n";
    QTest::newRow("division by zero") << "x\n1/0\n" << 3 << "ERROR DE CÁLCULO\n\n\n";
}

void TestMathsCommands::calculateRefusalsLeaveTheDocument()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, message);
    Session run(text, caret);
    QVERIFY(run.Run(QStringLiteral("calc")));
    QCOMPARE(run.ask.messages, QStringList{message});
    QCOMPARE(run.editor.Text(), text);
    QVERIFY(!run.editor.Modified());
}

void TestMathsCommands::systemInsertsTheWorkedExampleBelowTheCaretLine()
{
    // The caret line is equation 1, the line above it equation 2.
    const QString document = QStringLiteral("Problema\nx+2y=5\nx+y=3\nfinal");
    Session run(document, document.indexOf(QStringLiteral("y=3")));
    QVERIFY(run.Run(QStringLiteral("solve")));
    QVERIFY(run.ask.messages.isEmpty());
    const QStringList lines = run.editor.Text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4 + 27);
    QCOMPARE(lines.mid(0, 3), QStringList({"Problema", "x+2y=5", "x+y=3"}));
    QCOMPARE(lines.at(3), QString());
    QCOMPARE(lines.at(4), QStringLiteral("Equació inicial:"));
    QCOMPARE(lines.at(6), Tab + "+x" + Tab + "+y" + Tab + "=" + Tab + "+3");
    QCOMPARE(lines.at(7), Tab + "+x" + Tab + "+2y" + Tab + "=" + Tab + "+5");
    QCOMPARE(lines.mid(26), QStringList({"", "x = +1", "y = +2", "", "final"}));
}

void TestMathsCommands::systemReadsOnlyTheCaretLineAndTheLinesAbove()
{
    Session run(QStringLiteral("x+2y=5\nx+y=3"), 0);
    run.session.showMathSteps = false;
    QVERIFY(run.Run(QStringLiteral("solve")));
    QCOMPARE(run.editor.Text().split(QLatin1Char('\n')).mid(7, 2),
             QStringList({"x = +5\t-2y", ""}));
    QVERIFY(run.editor.Text().endsWith(QStringLiteral("\nx+y=3")));
}

void TestMathsCommands::systemWithStepsHiddenInsertsOnlyTheAnswer()
{
    Session run(QStringLiteral("Resol:\nx-y=1\nx+y=3"), 14);
    run.session.showMathSteps = false;
    QVERIFY(run.Run(QStringLiteral("solve")));
    QCOMPARE(run.editor.Text(),
             QStringLiteral("Resol:\nx-y=1\nx+y=3\n\n\nSISTEMA COMPATIBLE DETERMINAT.\n\n"
                            "Solució: \n\nx = +2\ny = +1\n"));
}

void TestMathsCommands::systemRefusalsShowTheirMessages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty caret line") << "x+y=3\n\n" << 6
        << "Cal introduir com a mínim una equació d'un sistema";
    QTest::newRow("blank caret line") << "x+y=3\n  " << 7
        << "Cal introduir com a mínim una equació d'un sistema";
    QTest::newRow("not an equation") << "x+y=3\n2+2" << 6 << "No és un equació d\\264un sistema";
    QTest::newRow("all coefficients zero") << "0x+0y=0" << 0
        << "És un sistema en que tots els coeficients són 0. Qualsevol conjunt de nombres és "
           "solució. O si el terme independent és <>0 el sistema és incompatible.";
}

void TestMathsCommands::systemRefusalsShowTheirMessages()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, message);
    Session run(text, caret);
    QVERIFY(run.Run(QStringLiteral("solve")));
    QCOMPARE(run.ask.messages, QStringList{message});
    QCOMPARE(run.editor.Text(), text);
}

QTEST_APPLESS_MAIN(TestMathsCommands)
#include "test_maths_commands.moc"
