#include "app/find/FindReplace.h"
#include "core/EditorText.h"
#include "core/SessionState.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QtTest>

class TestFindReplace : public QObject
{
    Q_OBJECT

    // The replace-all loop as the replace dialog runs it, one search at a time.
    static void ReplaceAllLiterally(EditorText &editor, const QString &find, const QString &replacement,
                                    SearchOptions options)
    {
        if (editor.SelectedText().compare(find, Qt::CaseInsensitive) == 0)
            editor.ReplaceSelection(replacement);
        for (int at = EditorSearch(editor, find, options); at >= 0; at = EditorSearch(editor, find, options)) {
            editor.Select(at, int(find.size()));
            editor.ReplaceSelection(replacement);
        }
    }

private slots:
    void searchEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("expected");
        QTest::newRow("ab in xaby") << "xaby" << 0 << 0 << "ab" << 1;
        QTest::newRow("starts after the selection") << "abab" << 0 << 2 << "ab" << 2;
        QTest::newRow("selection covers the end") << "abab" << 2 << 2 << "ab" << -1;
        QTest::newRow("case counts") << "Casa casa" << 0 << 0 << "casa" << 5;
        QTest::newRow("empty text") << "" << 0 << 0 << "a" << -1;
        QTest::newRow("empty search") << "abc" << 0 << 0 << "" << -1;
        QTest::newRow("longer than the rest") << "abc" << 2 << 0 << "cd" << -1;
    }
    void searchEdit()
    {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, find);
        QFETCH(int, expected);
        PlainEditorText editor(text);
        editor.Select(selStart, selLength);
        QCOMPARE(SearchEdit(editor, find), expected);
        if (expected >= 0) {
            QCOMPARE(editor.SelStart(), expected);
            QCOMPARE(editor.SelLength(), int(find.size()));
        } else {
            QCOMPARE(editor.SelStart(), selStart);
            QCOMPARE(editor.SelLength(), selLength);
        }
    }

    void searchEditSearchesPastSixtyFourThousandCharacters()
    {
        PlainEditorText editor(QString(70000, QLatin1Char('x')) + "fi");
        QCOMPARE(SearchEdit(editor, "fi"), 70000);
    }

    void findSelectsTheOccurrenceAtTheCaretThenTheNext()
    {
        PlainEditorText editor("aaa");
        ScriptedQuestions ask;
        SessionState session;
        FindReplace finder(editor, ask, session);
        QVERIFY(finder.Find("aa", {}));
        QCOMPARE(editor.SelStart(), 0);
        QVERIFY(finder.Find("aa", {}));
        QCOMPARE(editor.SelStart(), 1);
        QVERIFY(!finder.Find("aa", {}));
        QCOMPARE(ask.messages, QStringList{"No encuentro aa"});
        QCOMPARE(session.findText, QString("aa"));
    }

    void findOptions()
    {
        PlainEditorText editor("Casament casa CASA");
        ScriptedQuestions ask;
        SessionState session;
        FindReplace finder(editor, ask, session);
        QVERIFY(finder.Find("casa", {false, true}));
        QCOMPARE(editor.SelStart(), 9);
        editor.Select(0, 0);
        QVERIFY(finder.Find("CASA", {true, false}));
        QCOMPARE(editor.SelStart(), 14);
    }

    void replaceComparesTheSelectionWithoutRegardToCase()
    {
        PlainEditorText editor("Casa casa");
        editor.Select(0, 4);
        ScriptedQuestions ask;
        SessionState session;
        FindReplace finder(editor, ask, session);
        finder.Replace("casa", "pis", {true, false}, false);
        QCOMPARE(editor.Text(), QString("pis casa"));
        QCOMPARE(editor.SelStart(), 4);
        QCOMPARE(editor.SelLength(), 4);
        QVERIFY(ask.messages.isEmpty());
        finder.Replace("casa", "pis", {true, false}, false);
        QCOMPARE(editor.Text(), QString("pis pis"));
        QCOMPARE(ask.messages, QStringList{"No puc trobar \"casa\"."});
        QCOMPARE(session.replaceText, QString("pis"));
    }

    void replaceAllMatchesTheLoop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::newRow("plain") << "a b a b a" << 0 << 0 << "a" << "xy" << false << false;
        QTest::newRow("replacement holds the text") << "aa aa" << 0 << 0 << "a" << "aa" << false << false;
        QTest::newRow("from the caret") << "a a a" << 2 << 0 << "a" << "b" << false << false;
        QTest::newRow("selected first") << "Ab ab" << 0 << 2 << "AB" << "-" << true << false;
        QTest::newRow("whole words next to replacements") << "ab ab abab" << 0 << 0 << "ab" << "x" << false << true;
        QTest::newRow("whole word after a letter replacement") << "a.a a" << 0 << 0 << "a" << "b" << false << true;
        QTest::newRow("nothing found") << "xyz" << 0 << 0 << "q" << "r" << false << false;
        QTest::newRow("to empty") << "la la la" << 0 << 0 << "la" << "" << false << false;
    }
    void replaceAllMatchesTheLoop()
    {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        const SearchOptions options{matchCase, wholeWord};
        PlainEditorText expected(text);
        expected.Select(selStart, selLength);
        ReplaceAllLiterally(expected, find, replacement, options);

        PlainEditorText editor(text);
        editor.Select(selStart, selLength);
        ScriptedQuestions ask;
        SessionState session;
        FindReplace(editor, ask, session).Replace(find, replacement, options, true);
        QCOMPARE(editor.Text(), expected.Text());
        QCOMPARE(editor.SelStart(), expected.SelStart());
        QVERIFY(ask.messages.isEmpty());
    }

    void replaceAllWithAnEmptyFindTextEnds()
    {
        PlainEditorText editor("abc");
        ScriptedQuestions ask;
        SessionState session;
        FindReplace(editor, ask, session).Replace("", "x", {}, true);
        QCOMPARE(editor.Text(), QString("abc"));
    }
};

QTEST_APPLESS_MAIN(TestFindReplace)
#include "test_findreplace.moc"
