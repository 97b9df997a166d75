#include "app/reading/ReadingPlace.h"

#include "app/reading/DocumentSentences.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace
{
// The longest word that the word under the caret is looked for in.
constexpr int kWordReach = 1000;

bool IsBlank(QChar c)
{
    return c.isSpace() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}
} // namespace

ReadingPlace::ReadingPlace(QPlainTextEdit *edit) : m_edit(edit) {}

int ReadingPlace::DocumentLength() const
{
    // The document counts a last block separator that the text does not hold.
    return m_edit ? m_edit->document()->characterCount() - 1 : 0;
}

int ReadingPlace::Caret() const
{
    return m_edit ? m_edit->textCursor().position() : 0;
}

void ReadingPlace::PlaceCaret(int position) const
{
    if (!m_edit)
        return;
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(qBound(0, position, DocumentLength()));
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
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

bool ReadingPlace::BlankAt(int position) const
{
    return m_edit && IsBlank(m_edit->document()->characterAt(position));
}

int ReadingPlace::SkipBlanks(int from, int to) const
{
    while (from < to && BlankAt(from))
        ++from;
    return from;
}

int ReadingPlace::WordStartAt(int position) const
{
    if (!m_edit)
        return position;
    const int limit = qMax(0, position - kWordReach);
    while (position > limit && !BlankAt(position - 1))
        --position;
    return position;
}

int ReadingPlace::WordBoundary(int position) const
{
    if (position <= 0 || position >= DocumentLength() || BlankAt(position - 1))
        return position;
    return WordStartAt(position);
}

// A sentence starts after a blank; a start found inside a word is the edge of the
// stretch looked through, in a text with no sentence end near.
int ReadingPlace::SentenceStart(int position) const
{
    return m_edit ? WordBoundary(DocumentSentences::StartAt(*m_edit->document(), position)) : 0;
}

int ReadingPlace::NextSentenceStart(int position) const
{
    if (!m_edit)
        return position;
    const int next = DocumentSentences::NextStart(*m_edit->document(), position);
    const int word = WordBoundary(next);
    return word > position ? word : next;
}

int ReadingPlace::SentenceEnd(int position) const
{
    if (!m_edit)
        return position;
    int end = DocumentSentences::EndAt(*m_edit->document(), position);
    if (end >= DocumentLength() || BlankAt(end))
        return end;
    const int word = WordBoundary(end);
    if (word <= position)
        return end;
    for (end = word; end > position && BlankAt(end - 1);)
        --end;
    return end;
}
