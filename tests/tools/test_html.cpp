#include "core/Command.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "tools/HtmlCommands.h"
#include "tools/JavaCommands.h"

#include <QSet>
#include <QTest>

namespace {

CommandRegistry MarkupRegistry()
{
    CommandRegistry registry;
    RegisterHtmlCommands(registry);
    RegisterSymbolCommands(registry);
    return registry;
}

} // namespace

class TestHtml : public QObject
{
    Q_OBJECT

private slots:
    void markupKeepsOrPlacesTheSelection_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedStart");
        QTest::addColumn<int>("expectedLength");
        QTest::newRow("bold selection") << "html-bold" << "hola" << 0 << 4 << "<B>hola</B>" << 3 << 4;
        QTest::newRow("bold caret") << "html-bold" << "" << 0 << 0 << "<B></B>" << 3 << 0;
        QTest::newRow("italic at the very end") << "html-italic" << "ab" << 2 << 0 << "ab<I></I>" << 5 << 0;
        QTest::newRow("indent") << "html-indent" << "x hola y" << 2 << 4 << "x <UL>\nhola</UL>\n y" << 7 << 4;
        QTest::newRow("preformatted") << "html-preformatted" << "a" << 0 << 1
                                      << "<FONT COLOR=black><PRE><UL>a</PRE></UL></FONT>" << 27 << 1;
        QTest::newRow("visible tags") << "html-visible-tags" << "P" << 0 << 1 << "&lt;P&gt;" << 4 << 1;
        QTest::newRow("line break before") << "html-line-break" << "ab" << 1 << 1 << "a<BR>\nb" << 6 << 1;
        QTest::newRow("break at caret") << "html-break" << "ab" << 1 << 0 << "a<BR>b" << 5 << 0;
        QTest::newRow("rule") << "html-horizontal-rule" << "" << 0 << 0 << "<HR>\n" << 5 << 0;
        QTest::newRow("link with address") << "html-link" << "a http://x b" << 2 << 8
                                           << "a <A HREF=\"http://x\"></A> b" << 21 << 0;
        QTest::newRow("link at caret") << "html-link" << "" << 0 << 0 << "<A HREF=\"\"></A>" << 9 << 0;
        QTest::newRow("mail with address") << "html-mail-link" << "jo@x" << 0 << 4
                                           << "<A HREF=\"MAILTO:jo@x\"></A>" << 22 << 0;
        QTest::newRow("mail at caret") << "html-mail-link" << "" << 0 << 0 << "<A HREF=\"MAILTO:\"></A>" << 16 << 0;
        QTest::newRow("image") << "html-image" << "foto" << 0 << 4 << "<IMG SRC=\"foto.gif\">" << 10 << 4;
        QTest::newRow("applet") << "html-applet" << "Joc" << 0 << 3
                                << "<APPLET CODE=\"Joc.class\" width= height= > </APPLET>" << 14 << 3;
        QTest::newRow("pi") << "symbol-pi" << "" << 0 << 0 << "<FONT FACE=\"Symbol\">p</FONT>" << 28 << 0;
        QTest::newRow("for all") << "symbol-for-all" << "" << 0 << 0 << "<FONT FACE=\"Symbol\">\"</FONT>" << 28 << 0;
        QTest::newRow("arrow") << "symbol-arrow" << "x" << 1 << 0 << "x<FONT FACE=\"Symbol\">&reg;</FONT>" << 33 << 0;
        QTest::newRow("greater or equal") << "symbol-greater-equal" << "" << 0 << 0
                                          << QStringLiteral("<FONT FACE=\"Symbol\">\u00b3</FONT>") << 28 << 0;
        QTest::newRow("plus minus keeps the selection") << "symbol-plus-minus" << "ab" << 1 << 1
                                                        << QStringLiteral("a\u00b1b") << 2 << 1;
    }

    void markupKeepsOrPlacesTheSelection()
    {
        QFETCH(QString, id);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QFETCH(int, expectedStart);
        QFETCH(int, expectedLength);
        const CommandRegistry registry = MarkupRegistry();
        const Command *command = registry.Find(id);
        QVERIFY(command);
        PlainEditorText editor(text);
        editor.Select(start, length);
        ScriptedQuestions ask;
        SessionState session;
        CommandHost host;
        CommandContext context{editor, ask, session, host};
        RunCommand(*command, context);
        QCOMPARE(editor.Text(), expected);
        QCOMPARE(editor.SelStart(), expectedStart);
        QCOMPARE(editor.SelLength(), expectedLength);
        QVERIFY(ask.messages.isEmpty());
    }

    void menusHoldTheirItems()
    {
        CommandRegistry registry = MarkupRegistry();
        RegisterJavaCommands(registry);
        QCOMPARE(registry.InMenu(QStringLiteral("MenuHTML")).size(), 22);
        QCOMPARE(registry.InMenu(QStringLiteral("MenuSimbols")).size(), 30);
        QCOMPARE(registry.InMenu(QStringLiteral("MenuJava")).size(), 8);
        QSet<QString> ids;
        for (const Command &command : registry.All()) {
            QVERIFY2(!ids.contains(command.id), qPrintable(command.id));
            ids.insert(command.id);
            QVERIFY(command.textCommand);
        }
        QCOMPARE(registry.FindByName(QStringLiteral("Treureelstags1"))->id, QStringLiteral("strip-tags"));
        QCOMPARE(registry.FindByName(QStringLiteral("MenuCanviarUnicodeAAccents"))->id,
                 QStringLiteral("unicode-to-accents"));
    }

    void htmlShortcuts()
    {
        const CommandRegistry registry = MarkupRegistry();
        QStringList shortcuts;
        for (const Command *command : registry.InMenu(QStringLiteral("MenuHTML")))
            if (!command->shortcut.isEmpty())
                shortcuts << command->shortcut.toString(QKeySequence::PortableText);
        QCOMPARE(shortcuts, QStringList({"Ctrl+N", "Ctrl+I", "Ctrl+S", "Ctrl+P", "Ctrl+T", "Ctrl+U",
                                         "Ctrl+O", "Ctrl+E", "Ctrl+D", "Ctrl+R", "Ctrl+B", "Ctrl+H",
                                         "Ctrl+L", "Ctrl+G"}));
    }

    // A whole-text command ends with the caret where its last replace-all left it.
    void conversionCommandSetsTheCaret()
    {
        const CommandRegistry registry = MarkupRegistry();
        PlainEditorText editor(QStringLiteral("a <b>c</b> d < e"));
        editor.Select(3, 2);
        ScriptedQuestions ask;
        SessionState session;
        CommandHost host;
        CommandContext context{editor, ask, session, host};
        RunCommand(*registry.Find(QStringLiteral("strip-tags")), context);
        QCOMPARE(editor.Text(), QStringLiteral("a c d < e"));
        QCOMPARE(editor.SelStart(), 6);
        QCOMPARE(editor.SelLength(), 1);
    }
};

QTEST_APPLESS_MAIN(TestHtml)
#include "test_html.moc"
