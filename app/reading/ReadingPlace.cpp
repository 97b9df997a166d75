#include "app/reading/ReadingPlace.h"

#include "app/reading/DocumentSentences.h"
#include "app/reading/ReadingTriggers.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace
{
// The longest word that the word under the caret is looked for in.
constexpr int kWordReach = 1000;
constexpr qint64 kSentenceJustBegunMs = 1000;
constexpr int kHeardTimesKept = 256;

bool IsBlank(QChar c)
{
    return c.isSpace() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}
} // namespace

ReadingPlace::ReadingPlace(QPlainTextEdit *edit, ReadingTriggers &triggers, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_triggers(triggers)
{
    m_clock.start();
    connect(&m_triggers, &ReadingTriggers::readingAloud, this, &ReadingPlace::Follow);
    // The words come as the reading session tells them: a word at a cut is not heard here.
    ReadingSession &session = m_triggers.Session();
    connect(&session, &ReadingSession::wordHeard, this, &ReadingPlace::WordHeard);
    connect(&session, &ReadingSession::cutReached, this, &ReadingPlace::RateCutReached);
    connect(&m_triggers, &ReadingTriggers::speechStopped, this, [this] { m_stopped = true; });
}

void ReadingPlace::ConnectKeys()
{
    m_triggers.SetReaderKeys({[this] { ReadFromCaret(); }, [this] { PauseOrGoOn(); },
                              [this] { NextSentence(); }, [this] { PreviousSentence(); },
                              [this] { Faster(); }, [this] { Slower(); }});
    m_triggers.SetDocumentReader([this](int from, int to) { return ReadDocument(from, to); });
    // Word by word reads each word as a reading of its own: the place is told once the
    // loop ends (stopped, or at the end of the text); a pause has told it already.
    connect(&m_triggers.Gate(), &ActivityGate::changed, this, [this] {
        const bool running = m_triggers.Gate().ReadingWordByWord();
        if (std::exchange(m_wordByWord, running) && !running && !m_paused)
            emit readingStopped(HeardPosition());
    });
}

bool ReadingPlace::Reading() const
{
    return (m_current != 0 && m_kind == Kind::Reading) || m_pendingPart >= 0 || m_triggers.Gate().ReadingWordByWord();
}

int ReadingPlace::DocumentLength() const
{
    // The document counts a last block separator that the text does not hold.
    return m_edit ? m_edit->document()->characterCount() - 1 : 0;
}

QString ReadingPlace::Range(int from, int to) const
{
    if (!m_edit || to <= from)
        return QString();
    // A character at a time: a cursor would lay out the whole block first, and a
    // document of one long line is one block.
    const QTextDocument *document = m_edit->document();
    QString text;
    text.reserve(to - from);
    for (int i = from; i < to; ++i) {
        const QChar c = document->characterAt(i);
        text.append(c == QChar::ParagraphSeparator || c == QChar::LineSeparator ? QChar(u'\n') : c);
    }
    return text;
}

int ReadingPlace::WordStartAt(int position) const
{
    const QTextDocument *document = m_edit->document();
    const int limit = qMax(0, position - kWordReach);
    while (position > limit && !IsBlank(document->characterAt(position - 1)))
        --position;
    return position;
}

int ReadingPlace::WordBoundary(int position) const
{
    if (position <= 0 || position >= DocumentLength() || IsBlank(m_edit->document()->characterAt(position - 1)))
        return position;
    return WordStartAt(position);
}

// A sentence starts after a blank; a start found inside a word is the edge of the
// stretch looked through, in a text with no sentence end near.
int ReadingPlace::SentenceStart(int position) const
{
    return WordBoundary(DocumentSentences::StartAt(*m_edit->document(), position));
}

int ReadingPlace::NextSentenceStart(int position) const
{
    const int next = DocumentSentences::NextStart(*m_edit->document(), position);
    const int word = WordBoundary(next);
    return word > position ? word : next;
}

int ReadingPlace::SentenceEnd(int position) const
{
    const QTextDocument *document = m_edit->document();
    int end = DocumentSentences::EndAt(*document, position);
    if (end >= DocumentLength() || IsBlank(document->characterAt(end)))
        return end;
    const int word = WordBoundary(end);
    if (word <= position)
        return end;
    for (end = word; end > position && IsBlank(document->characterAt(end - 1));)
        --end;
    return end;
}

int ReadingPlace::HeardPosition() const
{
    if (m_pendingPart >= 0)
        return m_pendingPart;
    return m_heardLast >= 0 ? m_heardLast : m_start;
}

void ReadingPlace::Follow(UtteranceId utterance, int documentStart, const QString &text)
{
    m_current = utterance;
    ++m_followed;
    m_pendingPart = -1;
    m_kind = std::exchange(m_next, Kind::Reading);
    m_start = documentStart;
    m_length = int(text.size());
    m_paused = false;
    m_stopped = false;
    m_heardLast = -1;
    m_newRateFrom = -1;
    m_heardTimes.clear();
    // With a voice that tells no words, the place is the start of the part being heard.
    if (!VoiceTellsWords())
        m_heardTimes.append({documentStart, m_clock.elapsed()});
    if (m_keepEnd || !m_edit)
        return;
    m_partEnd = QTextCursor();
    // A reading of its own: it ends where its text ends.
    m_end = QTextCursor(m_edit->document());
    m_end.setPosition(qMin(documentStart + m_length, DocumentLength()));
    m_toTheEnd = documentStart + m_length >= DocumentLength();
}

void ReadingPlace::WordHeard(UtteranceId utterance, int documentPosition, int length)
{
    if (utterance != m_current || m_current == 0)
        return;
    // A voice without words tells its whole text as one.
    if (documentPosition == m_start && length >= m_length)
        return;
    m_heardLast = documentPosition;
    if (m_heardTimes.size() >= kHeardTimesKept)
        m_heardTimes.removeFirst();
    m_heardTimes.append({m_heardLast, m_clock.elapsed()});
}

void ReadingPlace::RateCutReached(UtteranceId utterance)
{
    if (utterance != m_current || m_current == 0 || m_newRateFrom < 0)
        return;
    // The next sentence has just begun, untold: the rest is read from it at the new rate,
    // once the speech has finished telling of this word.
    const int from = std::exchange(m_newRateFrom, -1);
    QMetaObject::invokeMethod(this, [this, from, followed = m_followed] {
        if (followed == m_followed && m_current != 0)
            JumpTo(from);
    }, Qt::QueuedConnection);
}

void ReadingPlace::ReadingEnded(UtteranceId utterance)
{
    if (utterance != m_current || m_current == 0)
        return;
    const Kind kind = std::exchange(m_kind, Kind::None);
    m_current = 0;
    if (m_quiet || kind != Kind::Reading || m_triggers.Gate().ReadingWordByWord())
        return;
    // A part heard to its end: the next one follows, until where the reading ends. It
    // starts once the speech has finished telling of this one.
    if (!m_stopped && !m_partEnd.isNull() && m_partEnd.position() < ReadingEnd()) {
        // Still reading meanwhile: F12 pauses, and a stop keeps the next part from starting.
        m_pendingPart = m_partEnd.position();
        QMetaObject::invokeMethod(this, [this, from = m_partEnd.position(), followed = m_followed] {
            // Another reading began meanwhile: this one is over.
            if (followed != m_followed)
                return;
            m_pendingPart = -1;
            if (m_current == 0 && !m_stopped && from < ReadingEnd())
                ReadRange(from, ReadingEnd(), Kind::Reading);
            else if (m_current == 0 && !m_paused)
                emit readingStopped(HeardPosition());
        }, Qt::QueuedConnection);
        return;
    }
    emit readingStopped(HeardPosition());
}

int ReadingPlace::ReadingEnd() const
{
    return m_toTheEnd ? DocumentLength() : m_end.position();
}

int ReadingPlace::PartEnd(int from, int to) const
{
    if (!VoiceTellsWords()) {
        const int next = NextSentenceStart(from);
        if (next > from && next - from <= m_longestPart)
            return qMin(next, to);
    }
    if (to - from <= m_longestPart)
        return to;
    // At a sentence start, or a blank in a sentence longer than a part.
    const int limit = from + m_longestPart;
    int end = SentenceStart(limit);
    if (end <= from)
        end = WordStartAt(limit);
    return end <= from ? limit : end;
}

void ReadingPlace::ReadRange(int from, int to, Kind kind)
{
    m_next = kind;
    m_paused = false;
    // Blanks say nothing: the reading begins at the first word.
    const QTextDocument *document = m_edit->document();
    while (from < to && IsBlank(document->characterAt(from)))
        ++from;
    // The speech is given a part at a time, so a long document costs no more per key
    // than a short one.
    const int partEnd = PartEnd(from, m_languageCut && from < to ? qBound(from + 1, m_languageCut(from, to), to) : to);
    const QString text = Range(from, partEnd);
    if (!text.trimmed().isEmpty()) {
        // Set before: a voice of the library is heard to its end before ReadPart returns.
        m_end = QTextCursor(m_edit->document());
        m_end.setPosition(to);
        m_toTheEnd = to >= DocumentLength();
        m_partEnd = QTextCursor(m_edit->document());
        m_partEnd.setPosition(partEnd);
        const bool keepEnd = std::exchange(m_keepEnd, true);
        m_triggers.ReadPart(from, text);
        m_keepEnd = keepEnd;
    }
    m_next = Kind::Reading;
}

void ReadingPlace::PlaceCaret(int position)
{
    if (!m_edit)
        return;
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(qBound(0, position, DocumentLength()));
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
}

void ReadingPlace::AfterWordByWord(std::function<void()> then)
{
    m_triggers.Gate().StartAfterWordByWord(ActivityGate::Start::Stop, [this, then = std::move(then)] {
        // The reading's own last keys are still queued: they go first.
        QMetaObject::invokeMethod(this, then, Qt::QueuedConnection);
    });
}

bool ReadingPlace::ReadDocument(int from, int to)
{
    // A voice that tells its words hears the text whole, unless its languages cut it.
    if (!m_edit || (VoiceTellsWords() && !m_languageCut))
        return false;
    const auto read = [this, from, to] {
        m_keepEnd = false;
        ReadRange(from, qMin(to, DocumentLength()), Kind::Reading);
    };
    // A word-by-word reading just stopped unwinds first, or its end would end this one.
    if (m_triggers.Gate().ReadingWordByWord())
        AfterWordByWord(read);
    else
        read();
    return true;
}

void ReadingPlace::ReadFromCaret()
{
    if (!m_edit || !m_triggers.Gate().MayStart(ActivityGate::Start::Speech))
        return;
    if (m_triggers.Gate().ReadingWordByWord()) {
        m_triggers.ButtonPararClick();
        AfterWordByWord([this] { ReadFromCaret(); });
        return;
    }
    m_keepEnd = false;
    ReadRange(WordStartAt(m_edit->textCursor().position()), DocumentLength(), Kind::Reading);
}

void ReadingPlace::PauseOrGoOn()
{
    if (Reading())
        Pause();
    else if (m_paused)
        GoOn();
    else
        ReadFromCaret();
}

void ReadingPlace::Pause()
{
    const bool wordByWord = m_triggers.Gate().ReadingWordByWord();
    const int place = HeardPosition();
    m_quiet = true;
    m_triggers.ButtonPararClick();
    m_quiet = false;
    m_paused = true;
    m_pausedWordByWord = wordByWord;
    emit readingStopped(place);
    if (wordByWord)
        AfterWordByWord([this, place] { PlaceCaret(place); });
    else
        PlaceCaret(place);
}

void ReadingPlace::GoOn()
{
    if (!m_edit || !m_triggers.Gate().MayStart(ActivityGate::Start::Speech))
        return;
    const int from = WordStartAt(m_edit->textCursor().position());
    int to = ReadingEnd();
    if (to <= from)
        to = DocumentLength();
    if (m_pausedWordByWord) {
        m_paused = false;
        PlaceCaret(from);
        m_triggers.SpeedButtonParaulaPerParaulaClick();
        return;
    }
    m_keepEnd = true;
    ReadRange(from, to, Kind::Reading);
    m_keepEnd = false;
}

bool ReadingPlace::SentenceJustBegun(int sentenceStart) const
{
    qint64 firstHeard = -1;
    for (qsizetype i = m_heardTimes.size() - 1; i >= 0 && m_heardTimes.at(i).position >= sentenceStart; --i)
        firstHeard = m_heardTimes.at(i).ms;
    return firstHeard < 0 || m_clock.elapsed() - firstHeard < kSentenceJustBegunMs;
}

void ReadingPlace::JumpTo(int position)
{
    const int to = ReadingEnd();
    if (position >= to)
        return;
    m_keepEnd = true;
    m_quiet = true;
    ReadRange(position, to, Kind::Reading);
    m_quiet = false;
    m_keepEnd = false;
}

void ReadingPlace::StepRate(int steps)
{
    if (!m_rateBar || !m_triggers.Gate().MayStart(ActivityGate::Start::Setting))
        return;
    if (!m_rateBar(steps)) {
        emit rateAtLimit(steps > 0);
        return;
    }
    RateChanged();
}

void ReadingPlace::RateChanged()
{
    // A voice that tells no words is given a sentence at a time: the next one is read
    // at the new rate anyway. So is each word of word by word.
    if (m_current == 0 || m_kind != Kind::Reading || !VoiceTellsWords() || m_triggers.Gate().ReadingWordByWord())
        return;
    const int next = NextSentenceStart(HeardPosition());
    // Within the part being heard; a later part begins at the new rate by itself.
    const int partEnd = m_partEnd.isNull() ? m_start + m_length : m_partEnd.position();
    if (next > HeardPosition() && next < qMin(partEnd, ReadingEnd())) {
        m_newRateFrom = next;
        m_triggers.Session().CutAt(next);
    }
}

void ReadingPlace::NextSentence()
{
    if (!m_edit || !m_triggers.Gate().MayStart(ActivityGate::Start::Speech))
        return;
    if (m_triggers.Gate().ReadingWordByWord()) {
        // The loop reads on from the caret.
        PlaceCaret(NextSentenceStart(m_edit->textCursor().position()));
        return;
    }
    if (Reading()) {
        JumpTo(NextSentenceStart(HeardPosition()));
        return;
    }
    const int next = NextSentenceStart(m_edit->textCursor().position());
    if (next >= DocumentLength())
        return;
    PlaceCaret(next);
    ReadRange(next, SentenceEnd(next), Kind::Sentence);
}

void ReadingPlace::PreviousSentence()
{
    if (!m_edit || !m_triggers.Gate().MayStart(ActivityGate::Start::Speech))
        return;
    const int caret = m_edit->textCursor().position();
    if (m_triggers.Gate().ReadingWordByWord()) {
        const int start = SentenceStart(caret);
        PlaceCaret(start < caret ? start : SentenceStart(qMax(0, start - 1)));
        return;
    }
    if (Reading()) {
        const int heard = HeardPosition();
        int start = SentenceStart(heard);
        if (SentenceJustBegun(start) && start > 0)
            start = SentenceStart(start - 1);
        JumpTo(start);
        return;
    }
    int start = SentenceStart(caret);
    if (start >= caret && start > 0)
        start = SentenceStart(start - 1);
    PlaceCaret(start);
    ReadRange(start, SentenceEnd(start), Kind::Sentence);
}
