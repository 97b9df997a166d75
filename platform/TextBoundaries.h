#pragma once

#include <QAccessible>
#include <QList>
#include <QString>

// Where the characters, words, sentences and lines of a one-line text begin and end, as
// a screen reader asks for them. Every answer is found in one pass over the text.

struct TextRange
{
    int start = -1;
    int end = -1;
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

// The pieces of `text` for a boundary, in order, covering it without gaps: characters
// (whole graphemes), words each with what follows it up to the next word, sentences,
// and the whole text as its one line and paragraph.
QList<TextRange> TextPieces(const QString &text, QAccessible::TextBoundaryType boundary);

// The piece at, before and after `offset`. At the end of the text the piece at it is the
// last word, sentence or line, and nothing for characters. Nothing before the first
// piece or after the last is an empty range at that end; an offset outside the text
// gives {-1, -1}.
TextRange PieceAt(const QString &text, int offset, QAccessible::TextBoundaryType boundary);
TextRange PieceBefore(const QString &text, int offset, QAccessible::TextBoundaryType boundary);
TextRange PieceAfter(const QString &text, int offset, QAccessible::TextBoundaryType boundary);
