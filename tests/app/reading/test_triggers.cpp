#include "tests/app/reading/test_triggers_harness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>

class TestTriggers : public QObject
{
    Q_OBJECT

private slots:
    void typedCharacters_data();
    void typedCharacters();
    void wordOnSpaceSelectsSpeaksAndCollapses_data();
    void wordOnSpaceSelectsSpeaksAndCollapses();
    void fullStopOnWrappedParagraphSpeaksTheDisplayLine();
    void keyReleases_data();
    void keyReleases();
    void mouseReleases();
    void toolbarButtons();
    void staleLettersAreDropped();
};

// Options "lsp": letters, words on space, sentence on full stop.
void TestTriggers::typedCharacters_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");

    const QString esc = QStringLiteral("\x1b");
    QTest::newRow("letters in the order typed") << "l" << "" << QList<int>{Qt::Key_A, Qt::Key_B}
                                                << "ab" << QStringList{"speak:a", "speak:b"};
    QTest::newRow("letters off") << "" << "" << QList<int>{Qt::Key_A} << "a" << QStringList{};
    QTest::newRow("control characters") << "l" << "x" << QList<int>{Qt::Key_Backspace, Qt::Key_Escape}
                                        << "" << QStringList{"speak:\b", "speak:" + esc, "stop", "speak:"};
    QTest::newRow("delete is no character") << "l" << "x" << QList<int>{Qt::Key_Delete} << "x"
                                            << QStringList{};
    QTest::newRow("blank without words is a letter") << "l" << "" << QList<int>{Qt::Key_Space}
                                                     << " " << QStringList{"speak: "};
    QTest::newRow("full stop speaks the line, not the letter")
        << "lp" << "Hola món" << QList<int>{Qt::Key_Period} << "Hola món." << QStringList{"speak:Hola món"};
    QTest::newRow("full stop speaks the whole caret line")
        << "p" << "Primer.\nAixò és. Hola" << QList<int>{Qt::Key_Period}
        << "Primer.\nAixò és. Hola." << QStringList{"speak:Això és. Hola"};
    // The word of the echo runs back to the blank before it, punctuation and all, and
    // never back over a line break.
    QTest::newRow("word before a comma") << "w" << "Hola" << QList<int>{Qt::Key_Comma, Qt::Key_Space}
                                         << "Hola, " << QStringList{"speak:", "speak:Hola, "};
    QTest::newRow("word before a question mark") << "w" << "La casa" << QList<int>{Qt::Key_Question, Qt::Key_Space}
                                                 << "La casa? " << QStringList{"speak:", "speak:casa? "};
    QTest::newRow("word before an exclamation mark") << "w" << "Doncs sí" << QList<int>{Qt::Key_Exclam, Qt::Key_Space}
                                                     << "Doncs sí! " << QStringList{"speak:", "speak:sí! "};
    QTest::newRow("word before a full stop") << "w" << "tothom" << QList<int>{Qt::Key_Period, Qt::Key_Space}
                                             << "tothom. " << QStringList{"speak:", "speak:tothom. "};
    QTest::newRow("line on the full stop, then the word")
        << "wp" << "Bon dia a tothom" << QList<int>{Qt::Key_Period, Qt::Key_Space} << "Bon dia a tothom. "
        << QStringList{"speak:Bon dia a tothom", "speak:", "speak:tothom. "};
    QTest::newRow("blank at the start of a line") << "w" << "casa\n" << QList<int>{Qt::Key_Space}
                                                  << "casa\n " << QStringList{"speak:", "speak: "};
}

void TestTriggers::typedCharacters()
{
    QFETCH(QString, options);
    QFETCH(QString, before);
    QFETCH(QList<int>, keys);
    TriggerHarness h;
    QVERIFY(h.Show());
    h.options.Set(ReadingOption::Letters, options.contains(u'l'));
    h.options.Set(ReadingOption::WordOnSpace, options.contains(u'w'));
    h.options.Set(ReadingOption::SentenceOnFullStop, options.contains(u'p'));
    h.SetText(before, before.size());
    for (int key : keys)
        QTest::keyClick(h.edit, Qt::Key(key), Qt::NoModifier);
    h.Settle();
    QTEST(h.edit->toPlainText(), "text");
    QTEST(h.speech.calls, "calls");
}

void TestTriggers::wordOnSpaceSelectsSpeaksAndCollapses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("letters");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("word and blank") << "casa " << false << "casa " << QStringList{"speak:", "speak:casa "};
    QTest::newRow("second word") << "la casa " << false << "la casa "
                                 << QStringList{"speak:", "speak:la ", "speak:", "speak:casa "};
    // The next keys come before the sent ones: they wait, so nothing lands in the selection.
    QTest::newRow("fast typist") << "casa bo" << true << "casa bo"
                                 << QStringList{"speak:c", "speak:a", "speak:s", "speak:a", "speak:",
                                                "speak:casa ", "speak:b", "speak:o"};
}

void TestTriggers::wordOnSpaceSelectsSpeaksAndCollapses()
{
    QFETCH(QString, typed);
    QFETCH(bool, letters);
    QFETCH(QString, text);
    TriggerHarness h;
    QVERIFY(h.Show());
    h.options.Set(ReadingOption::WordOnSpace, true);
    h.options.Set(ReadingOption::Letters, letters);
    for (QChar c : typed) {
        QTest::keyClick(h.edit, c.toLatin1());
        if (!letters)
            h.Settle();
    }
    h.Settle();
    QCOMPARE(h.edit->toPlainText(), text);
    QVERIFY(!h.edit->textCursor().hasSelection());
    QCOMPARE(h.edit->textCursor().position(), text.size());
    QTEST(h.speech.calls, "calls");
    QVERIFY(!h.triggers.WordPending());
}

void TestTriggers::fullStopOnWrappedParagraphSpeaksTheDisplayLine()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.options.Set(ReadingOption::SentenceOnFullStop, true);
    h.edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QString paragraph = QStringLiteral("una frase prou llarga ").repeated(12) + QStringLiteral("final");
    h.SetText(paragraph, paragraph.size());
    QTest::keyClick(h.edit, '.');
    h.Settle();
    QCOMPARE(h.speech.calls.size(), 1);
    const QString spoken = h.speech.calls.first().mid(6);
    QVERIFY2(spoken.size() < paragraph.size() / 2, qPrintable(spoken));
    QVERIFY(paragraph.endsWith(spoken));
    QVERIFY(spoken.endsWith(QStringLiteral("final")));
}

void TestTriggers::keyReleases_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("pressedHere");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("F7 reads all") << int(Qt::Key_F7) << true << false << true << QStringList{"stop", "speak:un\u00a0dos"};
    QTest::newRow("Esc reads all") << int(Qt::Key_Escape) << true << false << true << QStringList{"stop", "speak:un\u00a0dos"};
    QTest::newRow("F8 reads the selection") << int(Qt::Key_F8) << true << false << true << QStringList{"stop", "speak:dos"};
    QTest::newRow("F9 reads the clipboard")
        << int(Qt::Key_F9) << true << false << true << QStringList{"stop", "speak:tres\nquatre"};
    QTest::newRow("F9 unticked does nothing") << int(Qt::Key_F9) << true << false << false << QStringList{};
    // With a selection, word-by-word reading speaks it whole.
    QTest::newRow("F10 reads word by word") << int(Qt::Key_F10) << true << false << true << QStringList{"stop", "speak:dos"};
    QTest::newRow("F10 unticked does nothing") << int(Qt::Key_F10) << true << false << false << QStringList{};
    QTest::newRow("F11 stops") << int(Qt::Key_F11) << true << false << true << QStringList{"stop"};
    QTest::newRow("held F7 reads once") << int(Qt::Key_F7) << true << true << true << QStringList{};
    QTest::newRow("other keys nothing") << int(Qt::Key_Right) << true << false << true << QStringList{};
    // The press went to a menu or a dialog that Escape closed: its release is not the editor's.
    QTest::newRow("Esc pressed elsewhere") << int(Qt::Key_Escape) << false << false << true << QStringList{};
    QTest::newRow("F7 pressed elsewhere") << int(Qt::Key_F7) << false << false << true << QStringList{};
    QTest::newRow("F8 pressed elsewhere") << int(Qt::Key_F8) << false << false << true << QStringList{};
    QTest::newRow("F9 pressed elsewhere") << int(Qt::Key_F9) << false << false << true << QStringList{};
    QTest::newRow("F10 pressed elsewhere") << int(Qt::Key_F10) << false << false << true << QStringList{};
    QTest::newRow("F11 pressed elsewhere") << int(Qt::Key_F11) << false << false << true << QStringList{};
}

void TestTriggers::keyReleases()
{
    QFETCH(int, key);
    QFETCH(bool, pressedHere);
    QFETCH(bool, autoRepeat);
    QFETCH(bool, ticked);
    TriggerHarness h;
    h.options.Set(ReadingOption::ReadClipboard, ticked);
    h.options.Set(ReadingOption::ReadWordByWord, ticked);
    QGuiApplication::clipboard()->setText(QStringLiteral("tres\nquatre"));
    QVERIFY(h.Show());
    // A non-breaking space is read as it stands.
    h.SetText(QStringLiteral("un\u00a0dos"), 0);
    h.Select(3, 3);
    if (pressedHere) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(h.edit, &press);
        h.Settle();
    }
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(h.edit, &release);
    h.Settle();
    QTEST(h.speech.calls, "calls");
}

void TestTriggers::mouseReleases()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("primera segona"), 0);
    QWidget *viewport = h.edit->viewport();
    const auto pointAt = [&](int position) {
        QTextCursor cursor = h.edit->textCursor();
        cursor.setPosition(position);
        return h.edit->cursorRect(cursor).center();
    };
    // A click, then a shift-click that extends the selection.
    const auto select = [&] {
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, pointAt(8));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, pointAt(14));
        h.Settle();
    };

    select();
    QCOMPARE(h.speech.calls, QStringList{});
    h.options.Set(ReadingOption::SelectionOnMouseUp, true);
    select();
    h.speech.calls.removeFirst(); // the first click's empty selection
    QCOMPARE(h.speech.calls, QStringList{"speak:segona"});
    h.speech.calls.clear();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, pointAt(3));
    h.Settle();
    QCOMPARE(h.speech.calls, QStringList{"speak:"});

    h.speech.calls.clear();
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, pointAt(3));
    h.Settle();
    QCOMPARE(h.fontDialogs, 1);
    QCOMPARE(h.speech.calls, QStringList{});
}

void TestTriggers::toolbarButtons()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("tot el text"), 0);
    QTest::mouseClick(h.lectura, Qt::LeftButton);
    h.Select(4, 2);
    QTest::mouseClick(h.lectura, Qt::LeftButton);
    QTest::mouseClick(h.parar, Qt::LeftButton);
    QTest::mouseClick(h.menu, Qt::LeftButton);
    QCOMPARE(h.speech.calls, (QStringList{"stop", "speak:tot el text", "stop", "speak:el", "stop", "stop"}));
    QCOMPARE(h.speechWindows, 1);
    QVERIFY(h.edit->hasFocus()); // the buttons never take the focus

    // The box takes the focus on a click and gives it back to the editor.
    QTest::mouseClick(h.oneWord, Qt::LeftButton, Qt::NoModifier, QPoint(8, h.oneWord->height() / 2));
    QVERIFY(h.oneWord->isChecked());
    QVERIFY(h.edit->hasFocus());
}

// A letter that has not been handed to the voice when a newer key comes is dropped;
// words are never dropped, and a stop leaves nothing waiting.
void TestTriggers::staleLettersAreDropped()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.triggers.Echo().FollowSpeechNews();
    h.options.Set(ReadingOption::Letters, true);
    h.options.Set(ReadingOption::WordOnSpace, true);
    const auto type = [&](char c) {
        QTest::keyClick(h.edit, c);
        h.Settle();
    };
    type('a');
    type('b');
    type('c');
    QCOMPARE(h.speech.calls, QStringList{"speak:a"});
    h.triggers.Echo().ReadingEnded(1);
    QCOMPARE(h.speech.calls, (QStringList{"speak:a", "speak:c"}));
    type('d');
    type(' ');
    for (UtteranceId id = 2; id <= h.speech.lastUtterance; ++id)
        h.triggers.Echo().ReadingEnded(id);
    h.Settle();
    QCOMPARE(h.speech.calls, (QStringList{"speak:a", "speak:c", "speak:", "speak:abcd "}));
    type('e');
    QTest::keyClick(h.edit, Qt::Key_F11);
    h.Settle();
    type('f');
    QCOMPARE(h.speech.calls.mid(4), (QStringList{"speak:e", "stop", "speak:f"}));
    QCOMPARE(h.edit->toPlainText(), QStringLiteral("abcd ef"));
}

QTEST_MAIN(TestTriggers)
#include "test_triggers.moc"
