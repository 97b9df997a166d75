#include "tools/DelphiToJava.h"

#include <QTest>

class TestDelphiToJava : public QObject
{
    Q_OBJECT

private slots:
    void rewritesLines_data()
    {
        QTest::addColumn<QString>("delphi");
        QTest::addColumn<QString>("java");
        QTest::newRow("assignment") << "x := y;" << "x = y;";
        QTest::newRow("if equal") << "if a = b then" << "if (a == b) ";
        QTest::newRow("if different") << "if a <> b then" << "if (a != b) ";
        QTest::newRow("for loop head") << "for i := 1 to 10 do begin" << "for (i = 1 to 10) {";
        QTest::newRow("end;") << "end;" << "}";
        QTest::newRow("end.") << "end." << "}.";
        QTest::newRow("brace comment") << "{ comment }" << "/* comment */";
        QTest::newRow("string quotes") << "'text'" << "\"text\"";
        QTest::newRow("inside a word") << "Sender" << "S}er";
        QTest::newRow("word end") << "Extend" << "Ext}";
        QTest::newRow("word start") << "Ending" << "}ing";
        QTest::newRow("not inside a word") << "x := y + nota;" << "x = y + !a;";
        QTest::newRow("Text property") << "Edit1.Text" << "Edit1.getText()";
        QTest::newRow("SetFocus") << "Edit1.SetFocus;" << "Edit1.requestFocus();";
        QTest::newRow("greater or equal") << "a >= b" << "a >= b";
        QTest::newRow("less or equal") << "a<=b" << "a<=b";
        QTest::newRow("and or") << "if a and b or c then exit;" << "if (a && b || c) return;";
        QTest::newRow("message box")
            << "Application.MessageBox(FloatToStr(x))"
            << "JOptionPane.showMessageDialog(null,String.valueOf(x))";
        QTest::newRow("procedure") << "procedure TForm1.Button1Click;" << "public void TForm1.Button1Click;";
        QTest::newRow("nothing to do") << "x + y * 2" << "x + y * 2";
        QTest::newRow("empty") << "" << "";
    }

    void rewritesLines()
    {
        QFETCH(QString, delphi);
        QFETCH(QString, java);
        QCOMPARE(DelphiToJava(delphi).text, java);
    }

    // The caret follows the last row only; an earlier row's replacements leave it at the start.
    void caretFollowsTheLastRowOnly()
    {
        const TextConversion plain = DelphiToJava(QStringLiteral("x := y;"));
        QCOMPARE(plain.selStart, 0);
        const TextConversion last = DelphiToJava(QStringLiteral("s := FloatToStr(x); t"));
        QCOMPARE(last.text, QStringLiteral("s = String.valueOf(x); t"));
        QCOMPARE(last.selStart, int(QStringLiteral("s = String.valueOf").size()));
    }
};

QTEST_APPLESS_MAIN(TestDelphiToJava)
#include "test_delphi.moc"
