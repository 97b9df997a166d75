#include "app/reading/ReadingSession.h"

#include "app/typing/KeyCodes.h"
#include "core/WaitWithEvents.h"

#include <QPlainTextEdit>

namespace
{
constexpr int kOneWordHoldMs = 500;
constexpr int kHeardTimesKept = 256;

QString PlainText(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}
} // namespace

ReadingSession::ReadingSession(QPlainTextEdit *edit, SpeechOperations &speech,
                               std::shared_ptr<PendingSyntheticKeys> pendingKeys, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_place(edit)
    , m_speech(speech)
    , m_pendingKeys(std::move(pendingKeys))
{
    m_clock.start();
    m_nextWord.setSingleShot(true);
    connect(&m_nextWord, &QTimer::timeout, this, &ReadingSession::StepWord);
    connect(this, &ReadingSession::wordByWordChanged, &m_ownGate, &ActivityGate::SetReadingWordByWord);
}

ReadingSession::~ReadingSession()
{
    // The gate does not stay closed after us.
    if (m_wordByWordHeld)
        emit wordByWordChanged(false);
    if (m_wordByWordRunning)
        m_speech.KeepReadingFlag(false);
}

void ReadingSession::SetActivityGate(ActivityGate &gate)
{
    disconnect(this, &ReadingSession::wordByWordChanged, m_gate, nullptr);
    m_gate = &gate;
    connect(this, &ReadingSession::wordByWordChanged, m_gate, &ActivityGate::SetReadingWordByWord);
}

void ReadingSession::HoldWordByWord(bool held)
{
    if (std::exchange(m_wordByWordHeld, held) != held)
        emit wordByWordChanged(held);
}

void ReadingSession::Follow(UtteranceId utterance, const Part &part, Start start)
{
    m_current = utterance;
    m_part = part;
    m_kind = start.kind;
    m_heardLast = -1;
    m_cutAt = -1;
    m_newRateFrom = -1;
    m_pendingPart = -1;
    m_paused = false;
    ++m_generation;
    m_heardTimes.clear();
    // With a voice that tells no words, the place is the start of the part being heard.
    if (!VoiceTellsWords())
        m_heardTimes.append({part.documentStart, m_clock.elapsed()});
    if (!start.ofStretch && m_edit) {
        // A reading of its own: it ends where its text ends.
        const int end = part.documentStart + int(part.text.size());
        m_partEnd = QTextCursor();
        m_end = QTextCursor(m_edit->document());
        m_end.setPosition(qBound(0, end, m_place.DocumentLength()));
        m_toTheEnd = end >= m_place.DocumentLength();
    }
    emit partStarted(utterance, part.documentStart, part.text);
}

ReadingSession::Part ReadingSession::WithVoice(Part part) const
{
    if (part.voice.isEmpty() && m_voiceAt)
        part.voice = m_voiceAt(part.documentStart);
    return part;
}

UtteranceId ReadingSession::ReadPart(const Part &given)
{
    const Part part = WithVoice(given);
    return m_speech.SpeakTextInVoice(part.text, part.voice, [this, part](UtteranceId id) { Follow(id, part, {}); });
}

bool ReadingSession::ReadPartAndWait(const Part &given)
{
    const Part part = WithVoice(given);
    return m_speech.SpeakTextInVoiceAndWait(part.text, part.voice,
                                            [this, part](UtteranceId id) { Follow(id, part, {}); });
}

void ReadingSession::WordHeard(UtteranceId utterance, int start, int length)
{
    if (utterance == 0 || utterance != m_current)
        return;
    const int position = m_part.documentStart + start;
    if (m_cutAt >= 0 && position >= m_cutAt) {
        m_cutAt = -1;
        emit cutReached(utterance, position);
        RateCutReached();
        return;
    }
    // A voice without words tells its whole text as one: no word of it is placed.
    if (start != 0 || length < m_part.text.size()) {
        m_heardLast = position;
        if (m_heardTimes.size() >= kHeardTimesKept)
            m_heardTimes.removeFirst();
        m_heardTimes.append({position, m_clock.elapsed()});
    }
    emit wordHeard(utterance, position, length);
}

void ReadingSession::CutAt(int documentPosition)
{
    m_cutAt = m_current != 0 ? documentPosition : -1;
}

void ReadingSession::ReadingEnded(UtteranceId utterance)
{
    if (utterance == 0 || utterance != m_current)
        return;
    m_current = 0;
    emit partEnded(utterance);
    PartHeard();
}

void ReadingSession::Stop()
{
    // Word by word tells its place once its last word is over.
    const bool tell = ((m_current != 0 && m_kind == Kind::Reading) || m_pendingPart >= 0) && !WordByWordHeld();
    const int place = HeardPosition();
    Silence();
    if (tell)
        emit readingStopped(place);
}

void ReadingSession::Silence()
{
    emit speechStopping();
    // The speech's news of this stop are not those of a part heard to its end.
    const UtteranceId current = std::exchange(m_current, 0);
    m_speech.StopSpeech();
    Ended(current);
}

void ReadingSession::Stopped()
{
    Ended(std::exchange(m_current, 0));
}

void ReadingSession::Ended(UtteranceId current)
{
    // A next part or a jump on its way is not made.
    ++m_generation;
    m_pendingPart = -1;
    EndWordByWord();
    if (current != 0)
        emit partEnded(current);
}

void ReadingSession::StartWordByWord(bool oneWordOnly)
{
    m_wordByWordRunning = true;
    m_oneWordOnly = oneWordOnly;
    if (!m_edit)
        return;
    const QString selection = SelectedText();
    // A selection is read once, as it stands.
    if (!selection.isEmpty()) {
        ReadPart({SelectionStart(), selection, {}});
        return;
    }
    // A word by word started while the last one's word is still spoken goes on from it.
    HoldWordByWord(true);
    m_speech.KeepReadingFlag(true);
    if (oneWordOnly) {
        ReadNextWord(kOneWordHoldMs);
        FinishWordByWord();
        return;
    }
    StepWord();
}

void ReadingSession::EndWordByWord()
{
    m_wordByWordRunning = false;
    m_nextWord.stop();
    FinishWordByWord();
}

void ReadingSession::FinishWordByWord()
{
    // A stop that comes while a word is spoken (a voice that handles events meanwhile)
    // lets the gate go once that word is over, not inside it.
    if (m_wordsBeingRead > 0 || !m_wordByWordHeld)
        return;
    m_nextWord.stop();
    m_speech.KeepReadingFlag(false);
    HoldWordByWord(false);
    // Each word was a reading of its own: the place is told once word by word ends
    // (stopped, or at the end of the text); a pause has told it already.
    if (!m_paused)
        emit readingStopped(HeardPosition());
}

void ReadingSession::StepWord()
{
    if (!m_wordByWordHeld)
        return;
    const WaitOutcome handled = HandlePendingEvents();
    emit nextWordDue();
    if (!m_wordByWordRunning || !m_edit || !m_edit->hasFocus() || handled == WaitOutcome::Closing) {
        FinishWordByWord();
        return;
    }
    ReadNextWord(0);
    if (!m_wordByWordRunning) {
        FinishWordByWord();
        return;
    }
    m_nextWord.start(qMax(0, m_wordPause) * 100);
}

void ReadingSession::ReadNextWord(int holdMs)
{
    ++m_wordsBeingRead;
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::ShiftModifier;
    SendKey(QEvent::KeyPress, VirtualKey::Control, Qt::ControlModifier);
    SendKey(QEvent::KeyPress, VirtualKey::Shift, both);
    SendKey(QEvent::KeyPress, VirtualKey::Right, both);
    SendKey(QEvent::KeyRelease, VirtualKey::Right, both);
    SendKey(QEvent::KeyRelease, VirtualKey::Shift, Qt::ControlModifier);
    HandlePendingEvents();
    SendKey(QEvent::KeyRelease, VirtualKey::Control, Qt::NoModifier);
    const QString word = SelectedText();
    if (!word.isEmpty())
        ReadWordInPieces(word);
    else
        m_wordByWordRunning = false;
    if (holdMs > 0)
        WaitWithEvents(holdMs);
    SendRight();
    if (--m_wordsBeingRead == 0)
        emit selectionReleased();
}

void ReadingSession::ReadWordInPieces(const QString &word)
{
    const int start = SelectionStart();
    const QList<qsizetype> borders = m_wordPieces ? m_wordPieces(word) : QList<qsizetype>();
    // Each piece is a reading of its own, so that the highlight shows it as it is heard.
    qsizetype from = 0;
    for (qsizetype n = 0; n <= borders.size() && !borders.isEmpty(); ++n) {
        const qsizetype to = n < borders.size() ? borders.at(n) : word.size();
        if (!ReadPartAndWait({start + int(from), word.mid(from, to - from), {}}))
            return;
        from = to;
    }
    ReadPartAndWait({start, word, {}});
}

void ReadingSession::SendKey(int type, int virtualKey, Qt::KeyboardModifiers modifiers)
{
    if (m_edit)
        PostSyntheticKey(m_edit, QEvent::Type(type), virtualKey, modifiers, m_pendingKeys);
}

void ReadingSession::SendRight()
{
    SendKey(QEvent::KeyPress, VirtualKey::Right, Qt::NoModifier);
    SendKey(QEvent::KeyRelease, VirtualKey::Right, Qt::NoModifier);
}

QString ReadingSession::SelectedText() const
{
    return m_edit ? PlainText(m_edit->textCursor().selectedText()) : QString();
}

int ReadingSession::SelectionStart() const
{
    return m_edit ? m_edit->textCursor().selectionStart() : 0;
}
