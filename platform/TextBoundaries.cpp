#include "platform/TextBoundaries.h"

#include <QTextBoundaryFinder>

namespace {

// Every boundary the finder reports, in order; a position that does not move on ends
// the walk, so a finder that repeats itself cannot hold us.
QList<int> Boundaries(const QString &text, QTextBoundaryFinder::BoundaryType type, bool wordStartsOnly)
{
    QList<int> positions;
    QTextBoundaryFinder finder(type, text);
    finder.toStart();
    int last = -1;
    for (int position = 0; position >= 0 && position <= text.size(); position = finder.toNextBoundary()) {
        if (position <= last)
            break;
        last = position;
        if (!wordStartsOnly || (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
            positions << position;
        if (position == text.size())
            break;
    }
    return positions;
}

QList<TextRange> PiecesBetween(QList<int> starts, int size)
{
    if (starts.isEmpty() || starts.first() != 0)
        starts.prepend(0);
    if (starts.last() != size)
        starts << size;
    QList<TextRange> pieces;
    for (qsizetype i = 0; i + 1 < starts.size(); ++i)
        pieces << TextRange{starts[i], starts[i + 1]};
    return pieces;
}

// The index of the piece holding `offset`: the one past the last at the end of the text
// for characters, the last one for longer pieces; -1 outside the text.
qsizetype IndexAt(const QList<TextRange> &pieces, const QString &text, int offset,
                  QAccessible::TextBoundaryType boundary)
{
    if (offset < 0 || offset > text.size())
        return -1;
    if (offset == text.size())
        return boundary == QAccessible::CharBoundary || pieces.isEmpty() ? pieces.size() : pieces.size() - 1;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        if (offset < pieces[i].end)
            return i;
    return pieces.size();
}

} // namespace

QList<TextRange> TextPieces(const QString &text, QAccessible::TextBoundaryType boundary)
{
    if (text.isEmpty())
        return {};
    const int size = int(text.size());
    switch (boundary) {
    case QAccessible::CharBoundary:
        return PiecesBetween(Boundaries(text, QTextBoundaryFinder::Grapheme, false), size);
    case QAccessible::WordBoundary:
        return PiecesBetween(Boundaries(text, QTextBoundaryFinder::Word, true), size);
    case QAccessible::SentenceBoundary:
        return PiecesBetween(Boundaries(text, QTextBoundaryFinder::Sentence, false), size);
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
    case QAccessible::NoBoundary:
        break;
    }
    return {TextRange{0, size}};
}

TextRange PieceAt(const QString &text, int offset, QAccessible::TextBoundaryType boundary)
{
    const QList<TextRange> pieces = TextPieces(text, boundary);
    const qsizetype i = IndexAt(pieces, text, offset, boundary);
    if (i < 0)
        return {};
    const int size = int(text.size());
    return i < pieces.size() ? pieces[i] : TextRange{size, size};
}

TextRange PieceBefore(const QString &text, int offset, QAccessible::TextBoundaryType boundary)
{
    const QList<TextRange> pieces = TextPieces(text, boundary);
    const qsizetype i = IndexAt(pieces, text, offset, boundary);
    if (i < 0)
        return {};
    return i > 0 ? pieces[i - 1] : TextRange{0, 0};
}

TextRange PieceAfter(const QString &text, int offset, QAccessible::TextBoundaryType boundary)
{
    const QList<TextRange> pieces = TextPieces(text, boundary);
    const qsizetype i = IndexAt(pieces, text, offset, boundary);
    if (i < 0)
        return {};
    const int size = int(text.size());
    return i + 1 < pieces.size() ? pieces[i + 1] : TextRange{size, size};
}
