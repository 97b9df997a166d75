#include "app/window/PlainTextEditText.h"
#include "core/EditorText.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <memory>

// The same line operations on the in-memory document and on the window's editor.
class TestEditorText : public QObject
{
    Q_OBJECT

    using Operation = std::function<void(EditorText &)>;

    struct Both
    {
        QPlainTextEdit widget;
        PlainTextEditText window{&widget};
        PlainEditorText plain;
        explicit Both(const QString &text)
            : plain(text)
        {
            widget.setPlainText(text);
        }
    };

    static void CompareWithOneReplace(const QString &before, const QString &after)
    {
        // Shown, so that moving the caret inside the command lays out the lines it edited.
        QPlainTextEdit lines;
        lines.resize(300, 200);
        lines.show();
        lines.setPlainText(before);
        lines.setTextCursor(QTextCursor(lines.document()));
        QCoreApplication::processEvents();
        PlainTextEditText byLines(&lines);
        QPlainTextEdit whole;
        whole.setPlainText(before);
        PlainTextEditText byWhole(&whole);
        qsizetype prefix = 0;
        while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < before.size() - prefix && suffix < after.size() - prefix
               && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
            ++suffix;

        byLines.BeginCommand();
        byLines.SetTextFrom(before, after);
        const int caret = byLines.SelStart();
        byLines.Select(0, 0);
        byLines.Select(caret, 0);
        byLines.EndCommand();
        lines.ensureCursorVisible();
        lines.repaint();
        byWhole.BeginCommand();
        if (before != after)
            byWhole.Replace(int(prefix), int(before.size() - prefix - suffix),
                            after.mid(prefix, after.size() - prefix - suffix));
        byWhole.EndCommand();
        QCOMPARE(byLines.Text(), byWhole.Text());
        QCOMPARE(byLines.LineCount(), byWhole.LineCount());
        QCOMPARE(byLines.SelStart(), byWhole.SelStart());
        QCOMPARE(byLines.SelLength(), 0);
        QCOMPARE(byLines.Modified(), before != after);
        lines.undo();
        QCOMPARE(byLines.Text(), before);
    }

private slots:
    void lineOperations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("expected");
        // op: 0 add "x", 1 insert "x" at 0, 2 insert "x" at 1, 3 delete 0, 4 delete last, 5 insert past the end
        QTest::newRow("add to empty") << "" << 0 << "x\n";
        QTest::newRow("add after a line without break") << "a" << 0 << "a\nx";
        QTest::newRow("add after a final break") << "a\n" << 0 << "a\nx\n";
        QTest::newRow("insert first") << "a\nb" << 1 << "x\na\nb";
        QTest::newRow("insert second") << "a\nb" << 2 << "a\nx\nb";
        QTest::newRow("delete first") << "a\nb" << 3 << "b";
        QTest::newRow("delete last keeps the break before it") << "a\nb" << 4 << "a\n";
        QTest::newRow("delete last with final break") << "a\nb\n" << 4 << "a\n";
        QTest::newRow("insert far past the end") << "a" << 5 << "a\nx";
    }
    void lineOperations()
    {
        QFETCH(QString, text);
        QFETCH(int, op);
        QFETCH(QString, expected);
        Both both(text);
        for (EditorText *editor : {static_cast<EditorText *>(&both.window), static_cast<EditorText *>(&both.plain)}) {
            switch (op) {
            case 0: editor->AddLine("x"); break;
            case 1: editor->InsertLine(0, "x"); break;
            case 2: editor->InsertLine(1, "x"); break;
            case 3: editor->DeleteLine(0); break;
            case 4: editor->DeleteLine(editor->LineCount() - 1); break;
            case 5: editor->InsertLine(7, "x"); break;
            }
            QCOMPARE(editor->Text(), expected);
        }
    }

    void linesAndPositionsAgree_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("one") << "one";
        QTest::newRow("final break") << "one\ntwo\n";
        QTest::newRow("empty lines") << "\n\na\n\n";
        QTest::newRow("nbsp and tabs") << QString::fromUtf8("l'\u00A0àvia\tx\nb");
    }
    void linesAndPositionsAgree()
    {
        QFETCH(QString, text);
        Both both(text);
        QCOMPARE(both.window.Text(), text);
        QCOMPARE(both.window.Length(), both.plain.Length());
        QCOMPARE(both.window.LineCount(), both.plain.LineCount());
        for (int i = -1; i <= both.plain.LineCount() + 1; ++i) {
            QCOMPARE(both.window.Line(i), both.plain.Line(i));
            QCOMPARE(both.window.LineStart(i), both.plain.LineStart(i));
        }
        for (int position = 0; position <= both.plain.Length(); ++position)
            QCOMPARE(both.window.LineFromPosition(position), both.plain.LineFromPosition(position));
        both.window.Select(1, 3);
        both.plain.Select(1, 3);
        QCOMPARE(both.window.SelectedText(), both.plain.SelectedText());
    }

    void aCommandIsOneUndoStepAndKeepsEveryCharacter()
    {
        QPlainTextEdit widget;
        widget.setPlainText(QString::fromUtf8("Bon\u00A0dia\nadéu"));
        PlainTextEditText editor(&widget);
        editor.BeginCommand();
        editor.SetText(QString::fromUtf8("Bon\u00A0dia, món\nadéu"));
        editor.AddLine("nova");
        editor.InsertLine(0, "primera");
        editor.EndCommand();
        QCOMPARE(editor.Text(), QString::fromUtf8("primera\nBon\u00A0dia, món\nadéu\nnova"));
        QVERIFY(editor.Modified());
        widget.undo();
        QCOMPARE(editor.Text(), QString::fromUtf8("Bon\u00A0dia\nadéu"));
    }

    // The window edits only the lines that changed; the text, the caret and the undo step
    // must be those of replacing the whole changed part at once.
    void windowSetTextMatchesOneReplace_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("one line") << "una casa" << "una cas&agrave;";
        QTest::newRow("lines between unchanged ones") << "a\nxé\nb\né\nc" << "a\nx&eacute;\nb\n&eacute;\nc";
        QTest::newRow("a line emptied") << "a\nbegin\nc" << "a\n\nc";
        QTest::newRow("runs of changed lines") << "a\nb\nc\nd\ne\nf" << "A\nB\nc\nD\n\nF";
        QTest::newRow("a run of empty lines") << "a\n\n\nb" << "a\nx\ny\nb";
        QTest::newRow("an empty line filled") << "a\n\nc\nd" << "a\n{\nc\nD";
        QTest::newRow("text moves between lines") << "ab\ncd" << "a\nbcd";
        QTest::newRow("a break more") << "a=b\nc" << "a\n=b\nc";
        QTest::newRow("a break less") << "a\nb\nc" << "a b\nc";
        QTest::newRow("a carriage return") << "a\nb\nc" << "a\nx\r\nc";
        QTest::newRow("a paragraph separator") << "a\nb\nc" << QString("a\nb") + QChar::ParagraphSeparator + "\nc";
        QTest::newRow("everything") << "x\ny" << "p\nq";
        QTest::newRow("to empty") << "x\ny" << "";
        const QString page = QString("Aix\u00f2 \u00e9s una lli\u00e7\u00f3\nsense accents\n").repeated(300);
        QTest::newRow("more lines than the window shows")
            << page << QString(page).replace(QChar(0xe9), "&eacute;").replace(QChar(0xe7), "&ccedil;");
        QTest::newRow("from empty") << "" << "x\ny";
        // Longer than one part of an edit: the parts must meet exactly.
        const QString code = QString("if a = b then x := 'y';\nbegin end;\n").repeated(2000);
        QTest::newRow("every line of a long text changes")
            << code << QString(code).replace("=", "==").replace("begin", "{");
        QTest::newRow("a long text gains lines") << code << QString(code).replace(" then", "\nthen");
        QTest::newRow("a long text loses lines") << code << QString(code).replace(";\nbegin", "; begin");
        QTest::newRow("the ends change, the breaks move only at the end")
            << code << "IF" + code.mid(2, code.size() - 20) + "\n" + code.right(18);
        const QString line = QString("una casa \u00e9s ").repeated(5000);
        QTest::newRow("one line longer than a part")
            << line + "\n" + line << QString(line).replace(QChar(0xe9), "&eacute;") + "\nx\n" + line;
    }
    void windowSetTextMatchesOneReplace()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        CompareWithOneReplace(before, after);
    }

    void randomLineEditsMatchOneReplace()
    {
        QRandomGenerator random(1215);
        const QString letters = QString::fromUtf8("ab é=\n");
        for (int round = 0; round < 200; ++round) {
            QString before;
            for (int i = random.bounded(40); i > 0; --i)
                before += letters.at(random.bounded(int(letters.size())));
            QString after = before;
            for (int i = random.bounded(6); i > 0; --i) {
                const int at = random.bounded(int(after.size()) + 1);
                const QChar c = letters.at(random.bounded(int(letters.size()) - 1)); // no break
                switch (random.bounded(3)) {
                case 0: after.insert(at, c); break;
                case 1: if (at < after.size() && after[at] != u'\n') after.remove(at, 1); break;
                default: if (at < after.size() && after[at] != u'\n') after[at] = c; break;
                }
            }
            CompareWithOneReplace(before, after);
        }
    }

    void setTextTouchesOnlyWhatChanged()
    {
        PlainEditorText editor("abcdef");
        editor.SetText("abXYef");
        QCOMPARE(editor.Text(), QString("abXYef"));
        QCOMPARE(editor.SelStart(), 4); // the caret after the changed part
        editor.SetModified(false);
        editor.SetText("abXYef");
        QVERIFY(!editor.Modified());
    }
};

QTEST_MAIN(TestEditorText)
#include "test_editortext.moc"
