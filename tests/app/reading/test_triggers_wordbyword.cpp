#include "tests/app/reading/test_triggers_harness.h"

#include <QElapsedTimer>

class TestWordByWord : public QObject
{
    Q_OBJECT

private slots:
    void readsEachWord_data();
    void readsEachWord();
    void typingWhileAWordIsSpokenGoesAfterIt();
    void oneWordOnly();
    void piecesAreHeardBeforeTheWord();
};

// With the word's syllables shown, each is a reading of its own before the word whole.
void TestWordByWord::piecesAreHeardBeforeTheWord()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("casa gran"), 0);
    h.triggers.Session().SetWordPieces([](QStringView word) {
        return word.startsWith(u"casa") ? QList<qsizetype>{2} : QList<qsizetype>{};
    });
    QTest::mouseClick(h.paraula, Qt::LeftButton);
    h.Settle();
    QCOMPARE(h.speech.calls, (QStringList{"stop", "wait:ca", "wait:sa ", "wait:casa ", "wait:gran"}));
    QCOMPARE(h.edit->toPlainText(), QStringLiteral("casa gran"));
}

void TestWordByWord::readsEachWord_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selection");
    QTest::addColumn<QString>("interrupt"); // what happens while the second word is spoken
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("to the end") << 0 << 0 << "" << QStringList{"stop", "wait:un ", "wait:dos ", "wait:tres"}
                                << false << 11;
    QTest::newRow("from the middle") << 3 << 0 << "" << QStringList{"stop", "wait:dos ", "wait:tres"} << false << 11;
    QTest::newRow("caret at the end") << 11 << 0 << "" << QStringList{"stop"} << false << 11;
    QTest::newRow("a selection is read once") << 3 << 4 << "" << QStringList{"stop", "speak:dos "} << true << 7;
    QTest::newRow("stop button") << 0 << 0 << "stop" << QStringList{"stop", "wait:un ", "wait:dos ", "stop"}
                                 << false << 7;
    QTest::newRow("F11") << 0 << 0 << "F11" << QStringList{"stop", "wait:un ", "wait:dos ", "stop"} << false << 7;
    QTest::newRow("focus lost") << 0 << 0 << "focus" << QStringList{"stop", "wait:un ", "wait:dos "} << true << 7;
}

void TestWordByWord::readsEachWord()
{
    QFETCH(int, caret);
    QFETCH(int, selection);
    QFETCH(QString, interrupt);
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("un dos tres"), caret);
    if (selection > 0)
        h.Select(caret, selection);
    h.speech.whileSpeaking = [&](int word) {
        if (word != 2)
            return;
        // Queued, so it happens while the loop handles events, as a user's action would.
        if (interrupt == QStringLiteral("stop"))
            QMetaObject::invokeMethod(h.parar, "click", Qt::QueuedConnection);
        else if (interrupt == QStringLiteral("F11"))
            QMetaObject::invokeMethod(h.edit, [&] { QTest::keyClick(h.edit, Qt::Key_F11); }, Qt::QueuedConnection);
        else if (interrupt == QStringLiteral("focus"))
            QMetaObject::invokeMethod(h.other, [&] { h.other->setFocus(); }, Qt::QueuedConnection);
    };
    QTest::mouseClick(h.paraula, Qt::LeftButton);
    h.Settle();
    QTEST(h.speech.calls, "calls");
    QTEST(h.triggers.WordByWordRunning(), "running");
    QTEST(int(h.edit->textCursor().position()), "caretAfter");
    QCOMPARE(h.edit->toPlainText(), QStringLiteral("un dos tres"));
}

// A voice that handles events while it speaks lets the user type meanwhile: the key
// waits until the word's selection is gone instead of replacing the word.
void TestWordByWord::typingWhileAWordIsSpokenGoesAfterIt()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("un dos"), 0);
    h.speech.whileSpeaking = [&](int word) {
        if (word == 1) {
            QTest::keyClick(h.edit, 'x');
            QCoreApplication::processEvents();
        }
    };
    QTest::mouseClick(h.paraula, Qt::LeftButton);
    h.Settle();
    QCOMPARE(h.edit->toPlainText(), QStringLiteral("un xdos"));
    QCOMPARE(h.speech.calls, (QStringList{"stop", "wait:un ", "wait:dos"}));
}

void TestWordByWord::oneWordOnly()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("un dos tres"), 3);
    h.oneWord->setChecked(true);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(h.paraula, Qt::LeftButton);
    QVERIFY(timer.elapsed() >= 500); // the word stays selected a moment
    h.Settle();
    QCOMPARE(h.speech.calls, (QStringList{"stop", "wait:dos "}));
    QCOMPARE(h.edit->textCursor().position(), 7);
    QVERIFY(!h.edit->textCursor().hasSelection());
}

QTEST_MAIN(TestWordByWord)
#include "test_triggers_wordbyword.moc"
