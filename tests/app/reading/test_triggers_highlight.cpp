#include "app/reading/SpokenWordHighlight.h"
#include "core/SettingsStore.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

// The highlight of the word being heard, on a real editor.
class TestSpokenWordHighlight : public QObject
{
    Q_OBJECT

    // The word is painted last, over the sentence band.
    static QPair<int, int> Marked(const QPlainTextEdit &edit, bool band = false)
    {
        const QList<QTextEdit::ExtraSelection> marks = edit.extraSelections();
        if (marks.isEmpty())
            return {0, 0};
        const QTextCursor &mark = band ? marks.first().cursor : marks.last().cursor;
        return {mark.selectionStart(), mark.selectionEnd() - mark.selectionStart()};
    }

private slots:
    void highlightFollowsWordsWithoutTouchingTheDocument()
    {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        QPlainTextEdit edit;
        edit.setPlainText(QStringLiteral("Primer. Hola món bonic i gran"));
        edit.document()->setModified(false);
        QTextCursor selection(edit.document());
        selection.setPosition(8);
        selection.setPosition(20, QTextCursor::KeepAnchor);
        edit.setTextCursor(selection);
        edit.show();
        SpokenWordHighlight highlight(&edit, settings);

        const QString text = edit.textCursor().selectedText();
        highlight.Follow(7, 8, text);
        highlight.WordHeard(7, 5, 4); // "món "
        QCOMPARE(Marked(edit), qMakePair(13, 3));
        // Another reading's news (a letter echoed meanwhile) changes nothing, nor does
        // its end.
        highlight.WordHeard(8, 0, 1);
        highlight.ReadingEnded(6);
        QCOMPARE(Marked(edit), qMakePair(13, 3));
        // Highlighting is not selecting, editing or an undo step.
        QCOMPARE(edit.textCursor().selectionStart(), 8);
        QCOMPARE(edit.textCursor().selectionEnd(), 20);
        QVERIFY(!edit.document()->isModified());
        QVERIFY(!edit.document()->isUndoAvailable());
        highlight.ReadingEnded(7);
        QCOMPARE(Marked(edit), qMakePair(0, 0));
        QCOMPARE(highlight.ShownLength(), 0);
    }

    // "casa" typed twice and each read: the news of the first reading, still heard
    // when the second is queued, neither marks the second word nor ends its highlight.
    void twoReadingsOfOneTextAreFollowedApart()
    {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        QPlainTextEdit edit(QStringLiteral("casa casa"));
        SpokenWordHighlight highlight(&edit, settings);
        const QString casa = QStringLiteral("casa");
        highlight.Follow(1, 0, casa);
        highlight.Follow(2, 5, casa);
        highlight.WordHeard(1, 0, 4);
        QCOMPARE(Marked(edit), qMakePair(0, 0));
        highlight.ReadingEnded(1);
        highlight.WordHeard(2, 0, 4);
        QCOMPARE(Marked(edit), qMakePair(5, 4));
        highlight.ReadingEnded(2);
        QCOMPARE(highlight.ShownLength(), 0);
    }

    // The band lies behind the sentence of the word heard, an abbreviation and a
    // decimal inside it, and follows the reading into the next sentence and line.
    void sentenceBandFollowsTheWord()
    {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        const QString text = QStringLiteral("Hola. El Sr. Puig pesa 3.5 quilos. Adéu\ni fins demà");
        QPlainTextEdit edit(text);
        SpokenWordHighlight highlight(&edit, settings);
        highlight.Follow(3, 0, text);
        const int second = int(text.indexOf(QStringLiteral("El Sr.")));
        const int third = int(text.indexOf(QStringLiteral("Adéu")));
        const int pesa = int(text.indexOf(QStringLiteral("pesa")));
        highlight.WordHeard(3, pesa, 5);
        QCOMPARE(Marked(edit), qMakePair(pesa, 4));
        QCOMPARE(Marked(edit, true), qMakePair(second, third - 1 - second));
        QCOMPARE(edit.extraSelections().first().format.background().color(), SpokenWordHighlight::BandColourFor(edit.palette()));
        const int demà = int(text.indexOf(QStringLiteral("demà")));
        highlight.WordHeard(3, demà, 4);
        QCOMPARE(Marked(edit, true), qMakePair(third, int(text.size()) - third));
        // Text typed before the band during the reading moves it along.
        QTextCursor(edit.document()).insertText(QStringLiteral("Ja. "));
        highlight.WordHeard(3, demà, 4);
        QCOMPARE(Marked(edit, true), qMakePair(third + 4, int(text.size()) - third));
        highlight.ReadingEnded(3);
        QVERIFY(edit.extraSelections().isEmpty());
        QCOMPARE(highlight.BandLength(), 0);
    }

    void farWordsAreScrolledIntoView()
    {
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        QPlainTextEdit edit;
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("línia %1\n").arg(i);
        edit.setPlainText(text);
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        SpokenWordHighlight highlight(&edit, settings);
        highlight.Follow(1, 0, text);
        const int far = int(text.indexOf(QStringLiteral("línia 300")));
        highlight.WordHeard(1, far, 5);
        QTextCursor at(edit.document());
        at.setPosition(far);
        QVERIFY(edit.viewport()->rect().contains(edit.cursorRect(at)));
        QCOMPARE(edit.textCursor().position(), 0);
    }

    void switchIsStoredAndStopsTheHighlight()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("tolvanet.ini"));
        SettingsStore settings(ini);
        QPlainTextEdit edit(QStringLiteral("una dues"));
        QAction item;
        {
            SpokenWordHighlight highlight(&edit, settings);
            highlight.BindMenuItem(&item);
            QVERIFY(item.isChecked()); // on by default, and not written until it changes
            QCOMPARE(settings.ReadString(QStringLiteral("LlibreriaLlegir"), QStringLiteral("RESSALTAR"), QStringLiteral("<none>")),
                     QStringLiteral("<none>"));
            highlight.Follow(1, 0, QStringLiteral("una dues"));
            highlight.WordHeard(1, 0, 3);
            QCOMPARE(Marked(edit).second, 3);
            item.trigger();
            QVERIFY(edit.extraSelections().isEmpty());
            highlight.WordHeard(1, 4, 4);
            QVERIFY(edit.extraSelections().isEmpty());
        }
        SettingsStore reread(ini);
        QCOMPARE(reread.ReadString(QStringLiteral("LlibreriaLlegir"), QStringLiteral("RESSALTAR"), QString()), QStringLiteral("NO"));
        SpokenWordHighlight again(&edit, reread);
        QVERIFY(!again.Enabled());
    }

    void coloursStandOutInLightAndDarkThemes_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(0x1e, 0x1e, 0x1e) << QColor(0xe0, 0xe0, 0xe0);
        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
    }

    void coloursStandOutInLightAndDarkThemes()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        const SpokenWordHighlight::Colours colours = SpokenWordHighlight::ColoursFor(palette);
        QVERIFY2(SpokenWordHighlight::Contrast(colours.background, base) >= 3.0, "the mark does not stand out");
        QVERIFY2(SpokenWordHighlight::Contrast(colours.foreground, colours.background) >= 4.5, "the word cannot be read");
        QVERIFY(colours.background != palette.color(QPalette::Highlight));
        const QColor band = SpokenWordHighlight::BandColourFor(palette);
        QVERIFY2(band != base && SpokenWordHighlight::Contrast(band, base) < SpokenWordHighlight::Contrast(colours.background, base),
                 "the band is not lighter than the word's mark");
        QVERIFY2(SpokenWordHighlight::Contrast(text, band) >= 4.5, "the sentence cannot be read on its band");
    }
};

QTEST_MAIN(TestSpokenWordHighlight)
#include "test_triggers_highlight.moc"
