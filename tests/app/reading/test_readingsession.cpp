#include "app/typing/ActivityGate.h"
#include "app/typing/KeyCodes.h"
#include "app/reading/ReadingSession.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/RecordingSpeech.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

// A voice that tells its words and ends as a test says, and keeps the reading flag's
// keeping in the order it was asked for.
class NewsSpeech : public RecordingSpeech
{
public:
    bool SpeakTextAndWait(const QString &text, const UtteranceQueued &queued = {}) override
    {
        RecordingSpeech::SpeakTextAndWait(text, queued);
        if (whileSpeaking)
            whileSpeaking(lastUtterance);
        return true;
    }
    void KeepReadingFlag(bool keep) override { calls << (keep ? QStringLiteral("keep") : QStringLiteral("let go")); }
    std::function<void(UtteranceId)> whileSpeaking;
};

struct SessionRig
{
    SessionRig()
    {
        session.SetActivityGate(gate);
        session.SetWordPause(0);
        // The speech's news reach the session as the controller's signals do.
    }
    bool Show(const QString &text, int caret)
    {
        edit.setPlainText(text);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(caret);
        edit.setTextCursor(cursor);
        if (!ShowActive(&edit))
            return false;
        edit.setFocus();
        return edit.hasFocus();
    }
    // Word by word from the caret, with F12 pressed while its second word is heard.
    void StartWordByWordPausedAtItsSecondWord()
    {
        speech.whileSpeaking = [this](UtteranceId id) {
            if (id == 2)
                session.PauseOrGoOn();
        };
        session.StartWordByWord(false);
    }
    // F12 again, and nothing pressed until the end.
    void GoOnToTheEnd()
    {
        speech.whileSpeaking = {};
        session.PauseOrGoOn();
    }
    QPlainTextEdit edit;
    NewsSpeech speech;
    ActivityGate gate;
    ReadingSession session{&edit, speech, std::make_shared<PendingSyntheticKeys>()};
};

// Three sentences: "Tres quatre. " starts at 8, "Cinc sis." at 21.
const QString kThree = QStringLiteral("Un dos. Tres quatre. Cinc sis.");

QList<std::pair<int, QString>> Parts(const QSignalSpy &started)
{
    QList<std::pair<int, QString>> parts;
    for (const QList<QVariant> &part : started)
        parts.append({part.at(1).toInt(), part.at(2).toString()});
    return parts;
}

using PartList = QList<std::pair<int, QString>>;

class TestReadingSession : public QObject
{
    Q_OBJECT

private slots:
    // A part is told before it is heard; its words come back as places in the document,
    // and only the part being heard is followed.
    void aPartIsFollowedToItsEnd()
    {
        SessionRig rig;
        QSignalSpy started(&rig.session, &ReadingSession::partStarted);
        QSignalSpy words(&rig.session, &ReadingSession::wordHeard);
        QSignalSpy ended(&rig.session, &ReadingSession::partEnded);
        const UtteranceId first = rig.session.ReadPart({10, QStringLiteral("Bon dia. Adeu."), QStringLiteral("ona")});
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.at(0).at(1).toInt(), 10);
        QCOMPARE(rig.session.CurrentPart().voice, QStringLiteral("ona"));
        rig.session.WordHeard(first, 4, 4);
        QCOMPARE(rig.session.HeardLast(), 14);
        QCOMPARE(words.at(0).at(1).toInt(), 14);

        // A newer part replaces it: the older one's late news are not the reading's.
        const UtteranceId second = rig.session.ReadPart({24, QStringLiteral("Adeu."), {}});
        rig.session.WordHeard(first, 9, 5);
        rig.session.ReadingEnded(first);
        QCOMPARE(words.size(), 1);
        QVERIFY(ended.isEmpty());
        QCOMPARE(rig.session.Current(), second);
        QCOMPARE(rig.session.HeardLast(), -1);

        // A voice that reports no words ends its part all the same.
        rig.session.ReadingEnded(second);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(rig.session.Current(), UtteranceId(0));
        QCOMPARE(rig.session.HeardLast(), -1);
    }

    // A cut ends the part at its first word at or after the place: that word is not told
    // as heard, the cut is told instead, once; a new part has no cut.
    void aCutEndsThePartAtAWordUntold()
    {
        SessionRig rig;
        QSignalSpy words(&rig.session, &ReadingSession::wordHeard);
        QSignalSpy cuts(&rig.session, &ReadingSession::cutReached);
        const UtteranceId first = rig.session.ReadPart({10, QStringLiteral("Bon dia. Adeu. Fins aviat."), {}});
        rig.session.CutAt(19);
        rig.session.WordHeard(first, 4, 4);
        rig.session.WordHeard(first, 9, 5);
        QCOMPARE(words.size(), 1);
        QCOMPARE(cuts.size(), 1);
        QCOMPARE(cuts.at(0).at(1).toInt(), 19);
        QCOMPARE(rig.session.HeardLast(), 14);
        // Once reached, the cut is spent.
        rig.session.WordHeard(first, 15, 4);
        QCOMPARE(cuts.size(), 1);
        QCOMPARE(words.size(), 2);

        const UtteranceId second = rig.session.ReadPart({19, QStringLiteral("Adeu. Fins aviat."), {}});
        rig.session.CutAt(25);
        const UtteranceId third = rig.session.ReadPart({25, QStringLiteral("Fins aviat."), {}});
        rig.session.WordHeard(third, 0, 4);
        QCOMPARE(cuts.size(), 1);
        QCOMPARE(words.last().at(1).toInt(), 25);
        QVERIFY(second != third);

        // Without a part being heard there is nothing to cut.
        rig.session.ReadingEnded(third);
        rig.session.CutAt(0);
        const UtteranceId fourth = rig.session.ReadPart({0, QStringLiteral("Bon dia."), {}});
        rig.session.WordHeard(fourth, 0, 3);
        QCOMPARE(cuts.size(), 1);
    }

    void aStopEndsThePartOnce()
    {
        SessionRig rig;
        QSignalSpy ended(&rig.session, &ReadingSession::partEnded);
        const UtteranceId id = rig.session.ReadPart({0, QStringLiteral("Hola."), {}});
        rig.session.Stopped();
        rig.session.ReadingEnded(id); // the engine's own news of the stop
        QCOMPARE(ended.size(), 1);
        rig.session.Stopped();
        QCOMPARE(ended.size(), 1);
    }

    // Word by word speaks one word and comes back; the next words come from the event
    // loop, the gate is held until the last one and the reading flag is kept meanwhile.
    void wordByWordStepsFromTheEventLoop()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres"), 0));
        QSignalSpy started(&rig.session, &ReadingSession::partStarted);
        rig.session.StartWordByWord(false);
        QCOMPARE(rig.speech.calls, (QStringList{"keep", "wait:un "}));
        QVERIFY(rig.gate.ReadingWordByWord());
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QCOMPARE(rig.speech.calls, (QStringList{"keep", "wait:un ", "wait:dos ", "wait:tres", "let go"}));
        QCOMPARE(started.at(1).at(1).toInt(), 3);
        QVERIFY(!rig.session.WordByWordRunning());
        QTRY_COMPARE(rig.edit.textCursor().position(), 11);
    }

    // Ended while a word is spoken (a voice that handles events meanwhile): that word is
    // the last, and the gate opens only once it is over.
    void endedDuringAWordAfterIt()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres quatre"), 0));
        bool heldWhileSpeaking = false;
        rig.speech.whileSpeaking = [&](UtteranceId id) {
            if (id != 2)
                return;
            rig.session.Stopped();
            heldWhileSpeaking = rig.gate.ReadingWordByWord();
        };
        rig.session.StartWordByWord(false);
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QVERIFY(heldWhileSpeaking);
        QCOMPARE(rig.speech.calls, (QStringList{"keep", "wait:un ", "wait:dos ", "let go"}));
        QTRY_COMPARE(rig.edit.textCursor().position(), 7);
    }

    // The window handles events between words: a pause of a tenth of a second lets a
    // queued call run before the next word, which the focus leaving ends.
    void thePauseBetweenWordsIsTheEventLoops()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres"), 0));
        rig.session.SetWordPause(1);
        // A field of the same window, which the focus may go to.
        QLineEdit other(&rig.edit);
        other.show();
        QVERIFY(rig.edit.hasFocus());
        rig.session.StartWordByWord(false);
        QCOMPARE(rig.speech.calls.size(), 2);
        QMetaObject::invokeMethod(&other, [&other] { other.setFocus(); }, Qt::QueuedConnection);
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QCOMPARE(rig.speech.calls, (QStringList{"keep", "wait:un ", "let go"}));
        // Not stopped: only the stepping ended with the focus.
        QVERIFY(rig.session.WordByWordRunning());
    }

    void aSelectionIsReadOnceAsItStands()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres"), 3));
        QTextCursor cursor = rig.edit.textCursor();
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        rig.edit.setTextCursor(cursor);
        rig.session.StartWordByWord(false);
        QCOMPARE(rig.speech.calls, (QStringList{"speak:dos "}));
        QVERIFY(!rig.gate.ReadingWordByWord());
        QCOMPARE(rig.session.CurrentPart().documentStart, 3);
    }

    // A stretch longer than a part, or of two languages, is read part after part, each
    // in its voice and beginning where the last ended; the reading is over, and its
    // place told, only after the last. A stop between parts keeps the next from starting.
    void aStretchIsReadPartAfterPart()
    {
        SessionRig rig;
        QVERIFY(rig.Show(kThree, 0));
        rig.session.SetLongestPart(14);
        rig.session.SetLanguageCut([](int from, int to) { return from < 21 ? qMin(21, to) : to; });
        rig.session.SetVoiceAt([](int position) { return position < 21 ? QStringLiteral("ca") : QStringLiteral("es"); });
        QSignalSpy started(&rig.session, &ReadingSession::partStarted);
        QSignalSpy stopped(&rig.session, &ReadingSession::readingStopped);
        rig.session.ReadDocument(0, kThree);
        QStringList voices{rig.session.CurrentPart().voice};
        for (int part = 2; part <= 3; ++part) {
            rig.session.ReadingEnded(rig.session.Current());
            QVERIFY(rig.session.Reading());
            QTRY_COMPARE(started.size(), part);
            voices << rig.session.CurrentPart().voice;
        }
        QCOMPARE(Parts(started), (PartList{{0, "Un dos. "}, {8, "Tres quatre. "}, {21, "Cinc sis."}}));
        QCOMPARE(voices, (QStringList{"ca", "ca", "es"}));
        QVERIFY(stopped.isEmpty());
        rig.session.ReadingEnded(rig.session.Current());
        QVERIFY(!rig.session.Reading());
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(stopped.at(0).at(0).toInt(), 21);

        // Stopped between two parts: the place is where the next would have begun.
        rig.session.ReadDocument(0, kThree);
        rig.session.ReadingEnded(rig.session.Current());
        rig.session.Stop();
        QCoreApplication::processEvents();
        QCOMPARE(started.size(), 4);
        QVERIFY(!rig.session.Reading());
        QCOMPARE(stopped.size(), 2);
        QCOMPARE(stopped.at(1).at(0).toInt(), 8);
    }

    // A voice that reports no words is given a sentence at a time. F12 pauses at the
    // start of the sentence being heard and puts the caret there; F12 again reads that
    // sentence again and goes on to where the paused reading would have ended.
    void aVoiceWithoutWordsPausesAndGoesOn()
    {
        SessionRig rig;
        QVERIFY(rig.Show(kThree, 0));
        rig.session.SetVoiceTellsWords([] { return false; });
        QSignalSpy started(&rig.session, &ReadingSession::partStarted);
        QSignalSpy stopped(&rig.session, &ReadingSession::readingStopped);
        rig.session.ReadDocument(0, kThree.left(25));
        // Its whole text told as one word places no word.
        rig.session.WordHeard(rig.session.Current(), 0, 8);
        QCOMPARE(rig.session.HeardLast(), -1);
        rig.session.ReadingEnded(rig.session.Current());
        QTRY_COMPARE(started.size(), 2);
        const UtteranceId second = rig.session.Current();

        rig.session.PauseOrGoOn();
        QVERIFY(rig.session.Paused());
        QVERIFY(!rig.session.Reading());
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(stopped.at(0).at(0).toInt(), 8);
        QCOMPARE(rig.edit.textCursor().position(), 8);
        QVERIFY(rig.speech.calls.contains(QStringLiteral("stop")));
        // The news of the part stopped start nothing.
        rig.session.ReadingEnded(second);
        QCoreApplication::processEvents();
        QCOMPARE(started.size(), 2);

        rig.session.PauseOrGoOn();
        QVERIFY(!rig.session.Paused());
        rig.session.ReadingEnded(rig.session.Current());
        QTRY_COMPARE(started.size(), 4);
        QCOMPARE(Parts(started).mid(2), (PartList{{8, "Tres quatre. "}, {21, "Cinc"}}));
        rig.session.ReadingEnded(rig.session.Current());
        QVERIFY(!rig.session.Reading());
        QCOMPARE(stopped.size(), 2);
    }

    // While reading, Alt+Right goes on from the next sentence and Alt+Left from the one
    // before a sentence just begun, both to the reading's end; a faster rate is heard
    // from the next sentence, with no word twice; at the fastest it says so.
    void jumpsAndTheRateFromTheNextSentence()
    {
        SessionRig rig;
        QVERIFY(rig.Show(kThree, 0));
        bool rateMoves = true;
        rig.session.SetRateBar([&rateMoves](int) { return rateMoves; });
        QSignalSpy started(&rig.session, &ReadingSession::partStarted);
        QSignalSpy words(&rig.session, &ReadingSession::wordHeard);
        QSignalSpy limit(&rig.session, &ReadingSession::rateAtLimit);
        rig.session.ReadFromCaret();
        const UtteranceId first = rig.session.Current();
        rig.session.WordHeard(first, 3, 3);
        rig.session.NextSentence();
        // The older part's late news end nothing.
        rig.session.ReadingEnded(first);
        QVERIFY(rig.session.Reading());
        rig.session.PreviousSentence();
        QCOMPARE(Parts(started), (PartList{{0, kThree}, {8, kThree.mid(8)}, {0, kThree}}));

        const UtteranceId whole = rig.session.Current();
        rig.session.WordHeard(whole, 0, 2);
        rig.session.Faster();
        rig.session.WordHeard(whole, 3, 3);
        rig.session.WordHeard(whole, 8, 4);
        QTRY_COMPARE(started.size(), 4);
        QCOMPARE(Parts(started).last(), std::pair(8, kThree.mid(8)));
        rig.session.WordHeard(rig.session.Current(), 0, 4);
        QList<int> heard;
        for (const QList<QVariant> &word : std::as_const(words))
            heard << word.at(1).toInt();
        QCOMPARE(heard, (QList<int>{3, 0, 3, 8}));

        rateMoves = false;
        rig.session.Faster();
        QCOMPARE(limit.size(), 1);
        QCOMPARE(limit.at(0).at(0).toBool(), true);
        QCOMPARE(started.size(), 4);
    }

    // F12 in word by word pauses after the word being heard, with the caret at its
    // start once word by word has unwound; F12 again goes on word by word from there.
    void wordByWordPausesAndGoesOn()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres"), 0));
        QSignalSpy stopped(&rig.session, &ReadingSession::readingStopped);
        rig.StartWordByWordPausedAtItsSecondWord();
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QVERIFY(rig.session.Paused());
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(stopped.at(0).at(0).toInt(), 3);
        QTRY_COMPARE(rig.edit.textCursor().position(), 3);

        rig.GoOnToTheEnd();
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QCOMPARE(rig.speech.calls.filter(QStringLiteral("wait:")),
                 (QStringList{"wait:un ", "wait:dos ", "wait:dos ", "wait:tres"}));
        QCOMPARE(stopped.size(), 2);
        QVERIFY(!rig.session.Paused());
    }

    // The box may be ticked while word by word is paused: it goes on with one word only.
    void aPausedWordByWordGoesOnWithTheChoiceOfThen()
    {
        SessionRig rig;
        QVERIFY(rig.Show(QStringLiteral("un dos tres quatre"), 0));
        rig.StartWordByWordPausedAtItsSecondWord();
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QVERIFY(rig.session.Paused());
        QTRY_COMPARE(rig.edit.textCursor().position(), 3);

        rig.session.SetOneWordChoice([] { return true; });
        rig.GoOnToTheEnd();
        QTRY_VERIFY(!rig.gate.ReadingWordByWord());
        QCOMPARE(rig.speech.calls.filter(QStringLiteral("wait:")), (QStringList{"wait:un ", "wait:dos ", "wait:dos "}));
    }
};

QTEST_MAIN(TestReadingSession)
#include "test_readingsession.moc"
