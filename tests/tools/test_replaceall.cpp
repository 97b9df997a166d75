#include "core/EditorText.h"
#include "tools/AccentConversions.h"
#include "tools/DelphiToJava.h"
#include "tools/HtmlConversions.h"
#include "tools/ReplaceAll.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The editor's forward search, step by step: from the end of the selection, exact match,
// selecting what it finds.
int SearchEdit(EditorText &edit, const QString &what)
{
    if (what.isEmpty())
        return -1;
    const QString text = edit.Text();
    const int n = int(text.size());
    if (n == 0)
        return -1;
    const int start = edit.SelStart() + edit.SelLength();
    const int candidates = n - start - int(what.size()) + 1;
    if (candidates < 0 || start < 0 || start > n)
        return -1;
    for (int p = start; p < start + candidates; ++p) {
        if (QStringView(text).mid(p, what.size()) == what) {
            edit.Select(p, int(what.size()));
            return p;
        }
    }
    return -1;
}

// The replace-all loop as the editor runs it, row after row.
TextConversion LoopReplaceRows(const QString &text, std::span<const ReplacementRow> rows)
{
    PlainEditorText edit(text);
    for (const ReplacementRow &row : rows) {
        edit.Select(0, 0);
        while (SearchEdit(edit, row.search.toString()) != -1)
            edit.ReplaceSelection(row.replacement.toString());
    }
    return {edit.Text(), edit.SelStart(), edit.SelLength()};
}

TextConversion LoopRemoveTags(const QString &text)
{
    PlainEditorText edit(text);
    edit.Select(0, 0);
    for (;;) {
        const int open = SearchEdit(edit, QStringLiteral("<"));
        if (open < 0)
            break;
        const int close = SearchEdit(edit, QStringLiteral(">"));
        if (close < 0)
            break;
        edit.Select(open, close - open + 1);
        edit.ReplaceSelection(QString());
    }
    return {edit.Text(), edit.SelStart(), edit.SelLength()};
}

void CompareConversions(const TextConversion &actual, const TextConversion &expected)
{
    QCOMPARE(actual.text, expected.text);
    QCOMPARE(actual.selStart, expected.selStart);
    QCOMPARE(actual.selLength, expected.selLength);
}

QString RandomText(QRandomGenerator &random, const QStringList &pieces, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += pieces.at(random.bounded(int(pieces.size())));
    return text;
}

} // namespace

class TestReplaceAll : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheCaretLoop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("nothing found") << "abc" << "x" << "y";
        QTest::newRow("empty text") << "" << "a" << "b";
        QTest::newRow("empty search") << "abc" << "" << "y";
        QTest::newRow("replacement holds the search") << "a=b=c" << "=" << "==";
        QTest::newRow("overlapping occurrences") << "aaaaa" << "aa" << "b";
        QTest::newRow("replacement completes a match") << "aab" << "ab" << "a";
        QTest::newRow("deletion") << "x&nbsp;y&nbsp;" << "&nbsp;" << "";
        QTest::newRow("match at the very end") << "abcab" << "ab" << "XYZ";
        QTest::newRow("line breaks") << "a\n\nb\n" << "\n" << "\r\n";
    }

    void matchesTheCaretLoop()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        const ReplacementRow row{search, replacement};
        CompareConversions(ApplyReplacementRows(text, {&row, 1}), LoopReplaceRows(text, {&row, 1}));
    }

    void tablesMatchTheCaretLoop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("assignment") << "x := y;";
        QTest::newRow("word holding a search text") << "Sender";
        QTest::newRow("not") << "x := y + nota;";
        QTest::newRow("loop head") << "for i := 1 to 10 do begin\n  a := a + 1;\nend;";
        QTest::newRow("comparisons") << "if (a >= b) and (c <= d) or not e then exit;";
        QTest::newRow("Word export")
            << "<P ALIGN=\"JUSTIFY\">a&nbsp;b</P>\n<META NAME=\"Generator\" CONTENT=\"Microsoft Word 97\">";
    }

    // Later rows see the output of earlier ones; the caret follows the last row.
    void tablesMatchTheCaretLoop()
    {
        QFETCH(QString, text);
        CompareConversions(DelphiToJava(text), LoopReplaceRows(text, DelphiToJavaRows()));
        CompareConversions(CleanWordHtml(text), LoopReplaceRows(text, CleanWordHtmlRows()));
    }

    // Random rows over random texts, whole and in pieces of 1 to 8 characters: a match that
    // spans two pieces, or several short ones, comes out as when the rows run one by one.
    void randomTablesMatchTheCaretLoop()
    {
        QRandomGenerator random(20261208);
        const QStringList pieces = {u"a"_qs, u"b"_qs, u"="_qs, u":"_qs, u" "_qs, u"\n"_qs};
        for (int round = 0; round < 300; ++round) {
            const QString text = RandomText(random, pieces, random.bounded(60));
            QStringList texts;
            for (int i = 0; i < 6; ++i)
                texts << RandomText(random, pieces, random.bounded(i % 2 == 0 ? 1 : 0, 6));
            const ReplacementRow rows[] = {{texts[0], texts[1]}, {texts[2], texts[3]},
                                           {texts[4], texts[5]}};
            const TextConversion expected = LoopReplaceRows(text, rows);
            CompareConversions(ApplyReplacementRows(text, rows), expected);
            for (const int pieceSize : {1, 2, 3, 5, 8})
                CompareConversions(ApplyReplacementRows(text, rows, pieceSize), expected);
        }
    }

    // The real tables in pieces of a few characters.
    void tablesInPiecesMatchTheCaretLoop_data()
    {
        QTest::addColumn<int>("pieceSize");
        for (const int size : {1, 2, 3, 5, 8})
            QTest::addRow("pieces of %d", size) << size;
    }

    void tablesInPiecesMatchTheCaretLoop()
    {
        QFETCH(int, pieceSize);
        QRandomGenerator random(quint32(pieceSize) * 31);
        const QStringList delphi = {u"="_qs, u":"_qs, u"<"_qs, u">"_qs, u" "_qs, u"begin"_qs,
                                    u"end"_qs, u";"_qs, u" do begin"_qs, u"then "_qs, u"{x}"_qs,
                                    u"'s'"_qs, u"not"_qs, u"and"_qs, u".Text"_qs, u"e"_qs, u"\n"_qs};
        const QStringList word = {u"<P ALIGN=\"JUSTIFY\">"_qs, u"&nbsp;"_qs, u"&nb"_qs, u"sp;"_qs,
                                  u"</P>"_qs, u"</"_qs, u"P>"_qs, u"x"_qs, u"\n"_qs};
        for (int round = 0; round < 200; ++round) {
            const QString source = RandomText(random, delphi, random.bounded(40));
            CompareConversions(ApplyReplacementRows(source, DelphiToJavaRows(), pieceSize),
                               LoopReplaceRows(source, DelphiToJavaRows()));
            const QString html = RandomText(random, word, random.bounded(30));
            CompareConversions(ApplyReplacementRows(html, CleanWordHtmlRows(), pieceSize),
                               LoopReplaceRows(html, CleanWordHtmlRows()));
        }
    }

    // Texts longer than a piece of the default size.
    void longTextsMatchTheCaretLoop()
    {
        QRandomGenerator random(15);
        const QStringList delphi = {u"x := y;"_qs, u" do begin"_qs, u"end"_qs, u"<>"_qs,
                                    u"e"_qs, u"{"_qs, u" "_qs, u"\n"_qs};
        const QString source = RandomText(random, delphi, 40000);
        CompareConversions(DelphiToJava(source), LoopReplaceRows(source, DelphiToJavaRows()));
        // Past a megabyte the two halves of a table run side by side: still the rows one
        // after another, in the default pieces and in pieces that cut every search text.
        const QString large = RandomText(random, delphi, 400000);
        QVERIFY(large.size() > 1'000'000);
        QString expected = large;
        int caret = -1;
        for (const ReplacementRow &row : DelphiToJavaRows())
            caret = ReplaceAll(expected, row.search, row.replacement);
        const TextConversion whole = DelphiToJava(large);
        QCOMPARE(whole.text, expected);
        QCOMPARE(whole.selStart, std::max(caret, 0));
        QCOMPARE(ApplyReplacementRows(large, DelphiToJavaRows(), 7).text, expected);
        const QString unchanged(100000, u'x');
        const TextConversion none = DelphiToJava(unchanged);
        QVERIFY(none.text.isSharedWith(unchanged));
        QCOMPARE(none.selStart, 0);
    }

    // Each accent table runs in one pass; it must agree with its rows run one by one.
    void accentTablesMatchTheirRows()
    {
        QRandomGenerator random(7);
        const QStringList pieces = {
            u"&aacute;"_qs, u"&ecirc;"_qs, u"&ocirc;"_qs, u"&AACUTE;"_qs, u"&"_qs, u"aacute;"_qs,
            u"&auml"_qs, u";"_qs, u"\\u00e9"_qs, u"\\u00E9"_qs, u"\\u00d1"_qs, u"\\"_qs, u"u00"_qs,
            u"e"_qs, u"é"_qs, u"ê"_qs, u"Ô"_qs, u"Ñ"_qs, u"â"_qs, u"x"_qs, u"\n"_qs};
        for (int round = 0; round < 400; ++round) {
            const QString text = RandomText(random, pieces, random.bounded(25));
            CompareConversions(AccentsToHtml(text), LoopReplaceRows(text, AccentsToHtmlRows()));
            CompareConversions(HtmlToAccents(text), LoopReplaceRows(text, HtmlToAccentsRows()));
            CompareConversions(AccentsToUnicode(text), LoopReplaceRows(text, AccentsToUnicodeRows()));
            CompareConversions(UnicodeToAccents(text), LoopReplaceRows(text, UnicodeToAccentsRows()));
        }
    }

    void removeTagsMatchesTheCaretLoop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tags") << "a <b>c</b> d" << "a c d";
        QTest::newRow("comparison signs") << "1 < 2 and 3 > 2" << "1  2";
        QTest::newRow("lone opening") << "x < y" << "x < y";
        QTest::newRow("lone opening after a tag") << "<i>a</i> < b" << "a < b";
        QTest::newRow("lone closing") << "a > b <c>" << "a > b ";
        QTest::newRow("across lines") << "a<p\nq>b" << "ab";
        QTest::newRow("nested opening") << "<<a>b>" << "b>";
        QTest::newRow("opening at the end") << "ab<" << "ab<";
        QTest::newRow("empty") << "" << "";
    }

    void removeTagsMatchesTheCaretLoop()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const TextConversion result = RemoveTags(text);
        QCOMPARE(result.text, expected);
        CompareConversions(result, LoopRemoveTags(text));
    }

    void randomTagTextsMatchTheCaretLoop()
    {
        QRandomGenerator random(99);
        const QStringList pieces = {u"<"_qs, u">"_qs, u"a"_qs, u"\n"_qs};
        for (int round = 0; round < 300; ++round) {
            const QString text = RandomText(random, pieces, random.bounded(20));
            CompareConversions(RemoveTags(text), LoopRemoveTags(text));
        }
    }

    // Large degenerate documents give a result quickly, never a hang.
    void largeDegenerateDocuments()
    {
        const QString lessThan(1 << 20, u'<');
        QCOMPARE(RemoveTags(lessThan).text, lessThan);
        const QString equals(1 << 20, u'=');
        QCOMPARE(DelphiToJava(equals).text.size(), 2 << 20);
        const QString accents(1 << 20, u'é');
        QCOMPARE(HtmlToAccents(AccentsToHtml(accents).text).text, accents);
    }
};

QTEST_APPLESS_MAIN(TestReplaceAll)
#include "test_replaceall.moc"
