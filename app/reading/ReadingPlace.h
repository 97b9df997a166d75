#pragma once

#include "speech/SpeechOperations.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCursor>

#include <functional>

class QPlainTextEdit;
class ReadingTriggers;

// Where the reader is in the document while it is read aloud, and the reader's moves:
// read from the caret, pause and go on, next and previous sentence. It follows the
// readings the triggers start and the speech's news of their words.
class ReadingPlace : public QObject
{
    Q_OBJECT
public:
    ReadingPlace(QPlainTextEdit *edit, ReadingTriggers &triggers, QObject *parent = nullptr);

    // Gives the reader's keys to the triggers, and takes over the triggers' readings of
    // the document when the voice tells no words.
    void ConnectKeys();
    // Asked before each reading: whether the voice tells its words as they are heard.
    void SetVoiceTellsWords(std::function<bool()> tells) { m_voiceTellsWords = std::move(tells); }

    // F7, F8 and the read button: with a voice that tells no words, the stretch is read
    // a sentence at a time, so that a pause keeps the sentence being heard; false leaves
    // the reading to the triggers.
    bool ReadDocument(int from, int to);

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
    // Moves the rate bar by steps; false when it is at that end already.
    void SetRateBar(std::function<bool(int steps)> step) { m_rateBar = std::move(step); }

    // Puts the caret there, with no selection, scrolled into view.
    void MoveCaretTo(int position) { PlaceCaret(position); }

    bool Reading() const;
    // The longest part of the document given to the speech at once, in characters.
    void SetLongestPart(int characters) { m_longestPart = qMax(1, characters); }
    // Where the language of the text from a position changes (at most `to`): parts are
    // cut there, so that each is read in its language's voice. None: parts run on.
    void SetLanguageCut(std::function<int(int from, int to)> cut) { m_languageCut = std::move(cut); }
    bool Paused() const { return m_paused; }
    // The document position of the word heard last; -1 when none was.
    int HeardLast() const { return m_heardLast; }

    // The triggers' and the speech's news.
    void Follow(UtteranceId utterance, int documentStart, const QString &text);
    // A word of the part being heard, at its place in the document.
    void WordHeard(UtteranceId utterance, int documentPosition, int length);
    void ReadingEnded(UtteranceId utterance);

signals:
    // A reading of the document stopped (ended, stopped or paused); the place of the
    // word heard last in it.
    void readingStopped(int position);
    // The rate bar is at its end already: the fastest rate, or the slowest.
    void rateAtLimit(bool fastest);

private:
    enum class Kind { None, Reading, Sentence };
    void StepRate(int steps);
    // The rate changed: a reading under way goes on at it from the next sentence.
    void RateChanged();
    // The reading has reached the sentence where the new rate begins.
    void RateCutReached(UtteranceId utterance);
    void Pause();
    void GoOn();
    // Reads from..to, a part at a time.
    void ReadRange(int from, int to, Kind kind);
    int PartEnd(int from, int to) const;
    // Where the readings that follow from one another end.
    int ReadingEnd() const;
    void JumpTo(int position);
    void PlaceCaret(int position);
    // After a word-by-word reading has unwound and its last keys have moved the caret.
    void AfterWordByWord(std::function<void()> then);
    QString Range(int from, int to) const;
    int DocumentLength() const;
    int WordStartAt(int position) const;
    // A place inside a word moved back to the word's start.
    int WordBoundary(int position) const;
    bool VoiceTellsWords() const { return !m_voiceTellsWords || m_voiceTellsWords(); }
    // Sentence lookups in a stretch of the document around the position; where the
    // stretch holds no sentence end, at word boundaries.
    int SentenceStart(int position) const;
    int NextSentenceStart(int position) const;
    int SentenceEnd(int position) const;
    // The position being heard: the word heard last, or where the part being read began
    // (the next part's start, once a part has been heard to its end).
    int HeardPosition() const;
    // The first word of the sentence at the position was heard less than a second ago.
    bool SentenceJustBegun(int sentenceStart) const;

    QPointer<QPlainTextEdit> m_edit;
    ReadingTriggers &m_triggers;

    UtteranceId m_current = 0;
    Kind m_kind = Kind::None;
    Kind m_next = Kind::Reading;
    int m_start = 0;
    int m_length = 0;
    bool m_wordByWord = false; // a word-by-word reading's loop runs
    // Where the readings that follow from one another end (a jump or a resume keeps it).
    QTextCursor m_end;
    // Where the part being read ends, when the reading goes on beyond it; null otherwise.
    QTextCursor m_partEnd;
    int m_longestPart = 20000;
    bool m_stopped = false; // the user stopped the speech since the part began
    // A part heard to its end: where the next one, about to start, begins; -1 otherwise.
    int m_pendingPart = -1;
    quint64 m_followed = 0; // readings followed so far
    std::function<bool()> m_voiceTellsWords;
    std::function<int(int, int)> m_languageCut;
    std::function<bool(int)> m_rateBar;
    // Where the reading goes on at a new rate, once its first word is reached; -1 when
    // the rate is as the reading began.
    int m_newRateFrom = -1;
    bool m_toTheEnd = true;
    bool m_keepEnd = false;
    int m_heardLast = -1;
    bool m_quiet = false; // stopping on purpose: no news of a stop
    bool m_paused = false;
    bool m_pausedWordByWord = false;
    struct Heard
    {
        int position;
        qint64 ms;
    };
    QList<Heard> m_heardTimes;
    QElapsedTimer m_clock;
};
