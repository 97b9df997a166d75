// The reading session's moves: a stretch of the document read part after part, the
// pause and the going on, the sentence jumps and the rate change from the next sentence.
#include "app/reading/ReadingSession.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace
{
constexpr qint64 kSentenceJustBegunMs = 1000;
} // namespace

bool ReadingSession::Reading() const
{
    return (m_current != 0 && m_kind == Kind::Reading) || m_pendingPart >= 0 || WordByWordHeld();
}

int ReadingSession::HeardPosition() const
{
    if (m_pendingPart >= 0)
        return m_pendingPart;
    return m_heardLast >= 0 ? m_heardLast : m_part.documentStart;
}

int ReadingSession::ReadingEnd() const
{
    return m_toTheEnd || m_end.isNull() ? m_place.DocumentLength() : m_end.position();
}

int ReadingSession::PartEnd(int from, int to) const
{
    if (!VoiceTellsWords()) {
        const int next = m_place.NextSentenceStart(from);
        if (next > from && next - from <= m_longestPart)
            return qMin(next, to);
    }
    if (to - from <= m_longestPart)
        return to;
    // At a sentence start, or a blank in a sentence longer than a part.
    const int limit = from + m_longestPart;
    int end = m_place.SentenceStart(limit);
    if (end <= from)
        end = m_place.WordStartAt(limit);
    return end <= from ? limit : end;
}

void ReadingSession::ReadRange(int from, int to, Kind kind)
{
    m_paused = false;
    if (!m_edit)
        return;
    // Blanks say nothing: the reading begins at the first word.
    from = m_place.SkipBlanks(from, to);
    // The speech is given a part at a time, so a long document costs no more per key
    // than a short one.
    const int partEnd = PartEnd(from, m_languageCut && from < to ? qBound(from + 1, m_languageCut(from, to), to) : to);
    const QString text = m_place.Range(from, partEnd);
    if (text.trimmed().isEmpty() || !m_gate->MayStart(ActivityGate::Start::Speech))
        return;
    Silence();
    // Set before: a voice of the library is heard to its end before it returns.
    m_end = QTextCursor(m_edit->document());
    m_end.setPosition(to);
    m_toTheEnd = to >= m_place.DocumentLength();
    m_partEnd = QTextCursor(m_edit->document());
    m_partEnd.setPosition(partEnd);
    const Part part = WithVoice({from, text, {}});
    m_speech.SpeakTextInVoice(part.text, part.voice,
                              [this, part, kind](UtteranceId id) { Follow(id, part, {kind, true}); });
}

void ReadingSession::PartHeard()
{
    if (m_kind != Kind::Reading || WordByWordHeld())
        return;
    if (m_partEnd.isNull() || m_partEnd.position() >= ReadingEnd()) {
        emit readingStopped(HeardPosition());
        return;
    }
    // The next part starts once the speech has finished telling of this one; still
    // reading meanwhile: F12 pauses, and a stop keeps it from starting.
    const int from = m_partEnd.position();
    m_pendingPart = from;
    QMetaObject::invokeMethod(this, [this, from, generation = m_generation] {
        // Another reading began meanwhile, or the speech was stopped: this one is over.
        if (generation != m_generation)
            return;
        m_pendingPart = -1;
        if (m_current == 0 && from < ReadingEnd())
            ReadRange(from, ReadingEnd(), Kind::Reading);
        else if (m_current == 0 && !m_paused)
            emit readingStopped(HeardPosition());
    }, Qt::QueuedConnection);
}

void ReadingSession::AfterWordByWord(std::function<void()> then)
{
    QPointer<ReadingSession> self(this);
    m_gate->StartAfterWordByWord(ActivityGate::Start::Stop, [self, then = std::move(then)] {
        // The reading's own last keys are still queued: they go first.
        if (self)
            QMetaObject::invokeMethod(self, then, Qt::QueuedConnection);
    });
}

void ReadingSession::ReadDocument(int documentStart, const QString &text)
{
    // A voice that tells its words hears the text whole, unless its languages cut it.
    if (!m_edit || (VoiceTellsWords() && !m_languageCut)) {
        ReadPart({documentStart, text, {}});
        return;
    }
    const int to = documentStart + int(text.size());
    const auto read = [this, documentStart, to] {
        ReadRange(documentStart, qMin(to, m_place.DocumentLength()), Kind::Reading);
    };
    // A word-by-word reading just stopped unwinds first, or its end would end this one.
    if (WordByWordHeld())
        AfterWordByWord(read);
    else
        read();
}

void ReadingSession::ReadFromCaret()
{
    if (!m_edit || !m_gate->MayStart(ActivityGate::Start::Speech))
        return;
    if (WordByWordHeld()) {
        Stop();
        AfterWordByWord([this] { ReadFromCaret(); });
        return;
    }
    ReadRange(m_place.WordStartAt(m_place.Caret()), m_place.DocumentLength(), Kind::Reading);
}

void ReadingSession::PauseOrGoOn()
{
    if (Reading())
        Pause();
    else if (m_paused)
        GoOn();
    else
        ReadFromCaret();
}

void ReadingSession::Pause()
{
    const bool wordByWord = WordByWordHeld();
    const int place = HeardPosition();
    // Set first: the end of word by word is the pause's, not a stop.
    m_paused = true;
    m_pausedWordByWord = wordByWord;
    Silence();
    emit readingStopped(place);
    if (wordByWord)
        AfterWordByWord([this, place] { m_place.PlaceCaret(place); });
    else
        m_place.PlaceCaret(place);
}

void ReadingSession::GoOn()
{
    if (!m_edit || !m_gate->MayStart(ActivityGate::Start::Speech))
        return;
    const int from = m_place.WordStartAt(m_place.Caret());
    int to = ReadingEnd();
    if (to <= from)
        to = m_place.DocumentLength();
    if (m_pausedWordByWord) {
        m_paused = false;
        m_place.PlaceCaret(from);
        Silence();
        StartWordByWord(m_oneWordChoice ? m_oneWordChoice() : m_oneWordOnly);
        return;
    }
    ReadRange(from, to, Kind::Reading);
}

bool ReadingSession::SentenceJustBegun(int sentenceStart) const
{
    qint64 firstHeard = -1;
    for (qsizetype i = m_heardTimes.size() - 1; i >= 0 && m_heardTimes.at(i).position >= sentenceStart; --i)
        firstHeard = m_heardTimes.at(i).ms;
    return firstHeard < 0 || m_clock.elapsed() - firstHeard < kSentenceJustBegunMs;
}

void ReadingSession::JumpTo(int position)
{
    const int to = ReadingEnd();
    if (position < to)
        ReadRange(position, to, Kind::Reading);
}

void ReadingSession::StepRate(int steps)
{
    if (!m_rateBar || !m_gate->MayStart(ActivityGate::Start::Setting))
        return;
    if (!m_rateBar(steps)) {
        emit rateAtLimit(steps > 0);
        return;
    }
    RateChanged();
}

void ReadingSession::RateChanged()
{
    // A voice that tells no words is given a sentence at a time: the next one is read
    // at the new rate anyway. So is each word of word by word.
    if (m_current == 0 || m_kind != Kind::Reading || !VoiceTellsWords() || WordByWordHeld())
        return;
    const int heard = HeardPosition();
    const int next = m_place.NextSentenceStart(heard);
    // Within the part being heard; a later part begins at the new rate by itself.
    const int partEnd = m_partEnd.isNull() ? m_part.documentStart + int(m_part.text.size()) : m_partEnd.position();
    if (next > heard && next < qMin(partEnd, ReadingEnd())) {
        m_newRateFrom = next;
        CutAt(next);
    }
}

void ReadingSession::RateCutReached()
{
    if (m_newRateFrom < 0)
        return;
    // The next sentence has just begun, untold: the rest is read from it at the new rate,
    // once the speech has finished telling of this word.
    const int from = std::exchange(m_newRateFrom, -1);
    QMetaObject::invokeMethod(this, [this, from, generation = m_generation] {
        if (generation == m_generation && m_current != 0)
            JumpTo(from);
    }, Qt::QueuedConnection);
}

void ReadingSession::NextSentence()
{
    if (!m_edit || !m_gate->MayStart(ActivityGate::Start::Speech))
        return;
    if (WordByWordHeld()) {
        // Word by word reads on from the caret.
        m_place.PlaceCaret(m_place.NextSentenceStart(m_place.Caret()));
        return;
    }
    if (Reading()) {
        JumpTo(m_place.NextSentenceStart(HeardPosition()));
        return;
    }
    const int next = m_place.NextSentenceStart(m_place.Caret());
    if (next >= m_place.DocumentLength())
        return;
    m_place.PlaceCaret(next);
    ReadRange(next, m_place.SentenceEnd(next), Kind::Sentence);
}

void ReadingSession::PreviousSentence()
{
    if (!m_edit || !m_gate->MayStart(ActivityGate::Start::Speech))
        return;
    const int caret = m_place.Caret();
    if (WordByWordHeld()) {
        const int start = m_place.SentenceStart(caret);
        m_place.PlaceCaret(start < caret ? start : m_place.SentenceStart(qMax(0, start - 1)));
        return;
    }
    if (Reading()) {
        int start = m_place.SentenceStart(HeardPosition());
        if (SentenceJustBegun(start) && start > 0)
            start = m_place.SentenceStart(start - 1);
        JumpTo(start);
        return;
    }
    int start = m_place.SentenceStart(caret);
    if (start >= caret && start > 0)
        start = m_place.SentenceStart(start - 1);
    m_place.PlaceCaret(start);
    ReadRange(start, m_place.SentenceEnd(start), Kind::Sentence);
}
