#pragma once

#include "app/reading/ActivityGate.h"
#include "speech/SpeechOperations.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QPlainTextEdit;
struct PendingSyntheticKeys;

// One reading of the document at a time, and what it is made of: the parts handed to
// the speech (each with the voice it is read in), the utterance being heard and the
// word heard last, whether it is paused, and word by word. The keys, buttons and menu
// items tell it what to do; the highlight, the kept places, the letter echo and the
// activity gate follow its signals.
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

    void SetActivityGate(ActivityGate &gate) { m_gate = &gate; }
    // The voice of the text at a document position, for the parts given without one (a
    // word, a sentence): the voice of its language while the voice follows the language.
    void SetVoiceAt(std::function<QString(int documentPosition)> voiceAt) { m_voiceAt = std::move(voiceAt); }

    // Reads a part aloud; it is the reading being heard from now on.
    UtteranceId ReadPart(const Part &part);
    // Reads a part and returns once it has been heard; false when nothing could be.
    bool ReadPartAndWait(const Part &part);

    // Word by word from the caret: every word in turn, or with oneWordOnly the next word
    // alone, held selected for a moment. The caller has stopped the speech first.
    void StartWordByWord(bool oneWordOnly);
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
    // The document position of the word heard last in it; -1 when none was.
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

private:
    void Follow(UtteranceId utterance, const Part &part);
    Part WithVoice(Part part) const;
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
    SpeechOperations &m_speech;
    std::shared_ptr<PendingSyntheticKeys> m_pendingKeys;
    ActivityGate m_ownGate;
    ActivityGate *m_gate = &m_ownGate;

    UtteranceId m_current = 0;
    Part m_part;
    int m_heardLast = -1;
    int m_cutAt = -1;

    bool m_wordByWordRunning = false;
    // Held from the start of word by word until its last word is over.
    std::optional<ActivityGate::Hold> m_wordByWordHold;
    // Words being read (one, or more when a new word by word began during a word).
    int m_wordsBeingRead = 0;
    int m_wordPause = 5;
    std::function<QList<qsizetype>(QStringView word)> m_wordPieces;
    QTimer m_nextWord;
    std::function<QString(int)> m_voiceAt;
};
