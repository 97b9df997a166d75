#pragma once

#include "app/typing/ActivityGate.h"
#include "app/reading/ReadingPlace.h"
#include "speech/SpeechOperations.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCursor>
#include <QTimer>

#include <functional>
#include <memory>

class QPlainTextEdit;
struct PendingSyntheticKeys;

// One reading of the document at a time, and what it is made of: the parts handed to
// the speech (each with the voice it is read in), the utterance being heard and the
// word heard last, where the reading ends, whether it is paused, and word by word. It
// alone starts, pauses, resumes, jumps and ends a reading; the keys, buttons and menu
// items tell it what to do, and the highlight, the kept places, the letter echo and the
// activity gate follow its signals.
//
// A stretch of the document is given to the speech a part at a time, cut at the longest
// part and where the language changes; the next part starts when one is heard to its
// end. A voice that tells no words is given a sentence at a time, so that a pause keeps
// the sentence being heard.
//
// Word by word moves the editor's selection a word to the right with the keys the
// keyboard would send, speaks the word and waits for it, and comes back from the event
// loop for the next one after the pause, so the window is never inside a loop of the
// reading's own between words.
class ReadingSession : public QObject
{
    Q_OBJECT
public:
    // A stretch of the document given to the speech as one text.
    struct Part
    {
        int documentStart = 0;
        QString text;
        // The voice it is read in; empty for the voice chosen in the speech window.
        QString voice;
    };

    ReadingSession(QPlainTextEdit *edit, SpeechOperations &speech,
                   std::shared_ptr<PendingSyntheticKeys> pendingKeys, QObject *parent = nullptr);
    ~ReadingSession() override;

    // The program's gate, asked before a reading starts; it follows word by word.
    void SetActivityGate(ActivityGate &gate);
    // The voice of the text at a document position, for the parts given without one (a
    // word, a sentence): the voice of its language while the voice follows the language.
    void SetVoiceAt(std::function<QString(int documentPosition)> voiceAt) { m_voiceAt = std::move(voiceAt); }

    // Asked before each reading: whether the voice tells its words as they are heard.
    void SetVoiceTellsWords(std::function<bool()> tells) { m_voiceTellsWords = std::move(tells); }
    // The longest part of the document given to the speech at once, in characters.
    void SetLongestPart(int characters) { m_longestPart = qMax(1, characters); }
    // Where the language of the text from a position changes (at most `to`): parts are
    // cut there, so that each is read in its language's voice. None: parts run on.
    void SetLanguageCut(std::function<int(int from, int to)> cut) { m_languageCut = std::move(cut); }
    // Moves the rate bar by steps; false when it is at that end already.
    void SetRateBar(std::function<bool(int steps)> step) { m_rateBar = std::move(step); }

    // Silences everything being said (the stop button, F11, a command that acts): a
    // reading under way is over, and its place is told.
    void Stop();
    // F7, Esc, F8 and the read button, once the speech has stopped: the document's text
    // from documentStart, as a stretch of the document read part after part, or whole
    // with a voice that tells its words in one language.
    void ReadDocument(int documentStart, const QString &text);
    // Shift+F7: from the start of the word under the caret to the end of the text.
    void ReadFromCaret();
    // F12: pauses a reading at the word heard last; again, reads on from the caret to
    // where the paused reading would have ended; with nothing paused, reads from the caret.
    void PauseOrGoOn();
    // Alt+Right, Alt+Left: while reading, the voice jumps by sentence and reads on;
    // otherwise the caret moves by sentence and that sentence is said.
    void NextSentence();
    void PreviousSentence();
    // Alt+Up, Alt+Down: the voice one step of the rate bar faster or slower, heard from
    // the next sentence of a reading under way.
    void Faster() { StepRate(1); }
    void Slower() { StepRate(-1); }
    // Puts the caret there, with no selection, scrolled into view.
    void MoveCaretTo(int position) { m_place.PlaceCaret(position); }
    // A reading of the document is under way (a part heard, the next about to start, or
    // word by word).
    bool Reading() const;
    bool Paused() const { return m_paused; }

    // Reads a part aloud; it is the reading being heard from now on, and ends with it.
    UtteranceId ReadPart(const Part &part);
    // Reads a part and returns once it has been heard; false when nothing could be.
    bool ReadPartAndWait(const Part &part);

    // Word by word from the caret: every word in turn, or with oneWordOnly the next word
    // alone, held selected for a moment. The caller has stopped the speech first.
    void StartWordByWord(bool oneWordOnly);
    // Whether word by word reads one word only, asked again when a paused one goes on
    // (the box may have changed meanwhile); without it, the choice it started with.
    void SetOneWordChoice(std::function<bool()> choice) { m_oneWordChoice = std::move(choice); }
    // Ends word by word after the word being heard (a stop, F7, F11...).
    void EndWordByWord();
    // Word by word was asked for and was not ended: it stays so when the editor lost
    // the focus, which only stops the stepping.
    bool WordByWordRunning() const { return m_wordByWordRunning; }
    // A word's selection is the reading's: typed keys wait until it is gone.
    bool HoldsSelection() const { return m_wordsBeingRead > 0; }
    // The pause between words, in tenths of a second.
    int WordPause() const { return m_wordPause; }
    void SetWordPause(int tenths) { m_wordPause = tenths; }
    // Where the pieces of a word heard before it whole start after its first (its
    // syllables); none by default.
    void SetWordPieces(std::function<QList<qsizetype>(QStringView word)> pieces) { m_wordPieces = std::move(pieces); }

    // The speech was silenced: nothing of the reading is heard any longer.
    void Stopped();

    // The utterance being heard and the part it reads; 0 when none.
    UtteranceId Current() const { return m_current; }
    const Part &CurrentPart() const { return m_part; }
    // The document position of the word heard last in it; -1 when none was (a voice
    // that tells its whole text as one word tells none).
    int HeardLast() const { return m_heardLast; }

    // Ends the part being heard where its word at or after a document position begins:
    // that word is not told, and cutReached says where it was. Nothing when no part is.
    void CutAt(int documentPosition);

    // The speech front's news.
    void WordHeard(UtteranceId utterance, int start, int length);
    void ReadingEnded(UtteranceId utterance);

signals:
    // A part is being read aloud: told before anything of it is heard.
    void partStarted(UtteranceId utterance, int documentStart, const QString &text);
    // A word of the part being heard, as a place in the document.
    void wordHeard(UtteranceId utterance, int documentPosition, int length);
    // The cut asked for was reached: the part being heard ends at that word, untold.
    void cutReached(UtteranceId utterance, int documentPosition);
    // The part was heard to its end, stopped, or could not be heard.
    void partEnded(UtteranceId utterance);
    // Word by word is about to select its next word: typing that waited goes first.
    void nextWordDue();
    // A word's selection was let go.
    void selectionReleased();
    // Everything being said is about to be silenced.
    void speechStopping();
    // Word by word began, or its last word is over: what may not run inside it waits.
    void wordByWordChanged(bool reading);
    // A reading of the document stopped (ended, stopped or paused); the place of the
    // word heard last in it.
    void readingStopped(int position);
    // The rate bar is at its end already: the fastest rate, or the slowest.
    void rateAtLimit(bool fastest);

private:
    enum class Kind { Reading, Sentence };
    // How a part follows on: a reading of its own ends with its text; a part of a
    // stretch leaves the stretch's ends as they were set.
    struct Start
    {
        Kind kind = Kind::Reading;
        bool ofStretch = false;
    };
    void Follow(UtteranceId utterance, const Part &part, Start start);
    Part WithVoice(Part part) const;
    // Silences the speech for a reading's own move: nothing is told as stopped.
    void Silence();
    // The part being heard is over, stopped: nothing of the reading goes on.
    void Ended(UtteranceId current);
    // The reading has reached the sentence where a new rate begins.
    void RateCutReached();
    // Reads from..to, a part at a time; the parts that follow end at `to`.
    void ReadRange(int from, int to, Kind kind);
    int PartEnd(int from, int to) const;
    // Where the readings that follow from one another end.
    int ReadingEnd() const;
    // The part being heard ended by itself: the next one follows, or the reading is over.
    void PartHeard();
    void JumpTo(int position);
    void Pause();
    void GoOn();
    void StepRate(int steps);
    // The rate changed: a reading under way goes on at it from the next sentence.
    void RateChanged();
    // After a word-by-word reading has unwound and its last keys have moved the caret.
    void AfterWordByWord(std::function<void()> then);
    bool VoiceTellsWords() const { return !m_voiceTellsWords || m_voiceTellsWords(); }
    bool WordByWordHeld() const { return m_wordByWordHeld; }
    void HoldWordByWord(bool held);
    // The position being heard: the word heard last, or where the part being read began
    // (the next part's start, once a part has been heard to its end).
    int HeardPosition() const;
    // The first word of the sentence at the position was heard less than a second ago.
    bool SentenceJustBegun(int sentenceStart) const;
    void StepWord();
    // Selects the next word, speaks it and steps past it; the word stays selected for
    // holdMs after it was spoken. Word by word ends at the end of the text.
    void ReadNextWord(int holdMs);
    void ReadWordInPieces(const QString &word);
    void SendKey(int type, int virtualKey, Qt::KeyboardModifiers modifiers);
    void SendRight();
    QString SelectedText() const;
    int SelectionStart() const;
    // Lets the gate go once no word is being read.
    void FinishWordByWord();

    QPointer<QPlainTextEdit> m_edit;
    ReadingPlace m_place;
    SpeechOperations &m_speech;
    std::shared_ptr<PendingSyntheticKeys> m_pendingKeys;
    ActivityGate m_ownGate;
    ActivityGate *m_gate = &m_ownGate;

    UtteranceId m_current = 0;
    Part m_part;
    Kind m_kind = Kind::Reading;
    int m_heardLast = -1;
    int m_cutAt = -1;
    // Readings followed and stops made so far: a next part or a jump queued before
    // another began or the speech was stopped is not made.
    quint64 m_generation = 0;

    // Where the readings that follow from one another end (a jump or a resume keeps it).
    QTextCursor m_end;
    bool m_toTheEnd = true;
    // Where the part being read ends, when the reading goes on beyond it; null otherwise.
    QTextCursor m_partEnd;
    // A part heard to its end: where the next one, about to start, begins; -1 otherwise.
    int m_pendingPart = -1;
    int m_longestPart = 20000;
    std::function<bool()> m_voiceTellsWords;
    std::function<int(int, int)> m_languageCut;
    std::function<bool(int)> m_rateBar;
    // Where the reading goes on at a new rate, once its first word is reached; -1 when
    // the rate is as the reading began.
    int m_newRateFrom = -1;
    bool m_paused = false;
    bool m_pausedWordByWord = false;
    struct Heard
    {
        int position;
        qint64 ms;
    };
    QList<Heard> m_heardTimes;
    QElapsedTimer m_clock;

    bool m_wordByWordRunning = false;
    bool m_oneWordOnly = false;
    std::function<bool()> m_oneWordChoice;
    // From the start of word by word until its last word is over.
    bool m_wordByWordHeld = false;
    // Words being read (one, or more when a new word by word began during a word).
    int m_wordsBeingRead = 0;
    int m_wordPause = 5;
    std::function<QList<qsizetype>(QStringView word)> m_wordPieces;
    QTimer m_nextWord;
    std::function<QString(int)> m_voiceAt;
};
