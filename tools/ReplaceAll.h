#pragma once

#include <QString>
#include <QStringView>

#include <cstring>
#include <span>

// The outcome of a whole-text conversion: the new text and where the selection ends up.
struct TextConversion
{
    QString text;
    int selStart = 0;
    int selLength = 0;
};

// One row of a replacement table.
struct ReplacementRow
{
    QStringView search;
    QStringView replacement;
};

// Replaces every occurrence of search from the start of the text, left to right; each
// search goes on right after the text just inserted, so a replacement is never searched
// again. Gives the position right after the last replacement, or -1 when nothing was
// found (the text is then untouched). An empty search text finds nothing.
int ReplaceAll(QString &text, QStringView search, QStringView replacement);

// Applies ReplaceAll once per row, in order: later rows see the output of earlier ones.
// The caret ends after the last replacement of the last row when that row found
// something, otherwise at the start of the text.
TextConversion ApplyReplacementRows(const QString &text, std::span<const ReplacementRow> rows);
// The same, with the text taken pieceSize characters at a time through all the rows.
TextConversion ApplyReplacementRows(const QString &text, std::span<const ReplacementRow> rows,
                                    qsizetype pieceSize);

// Copies count characters and gives the position after them; nothing to copy may come
// from a null view.
inline QChar *CopyCharacters(QChar *out, const QChar *from, qsizetype count)
{
    if (count > 0)
        std::memcpy(out, from, size_t(count) * sizeof(QChar));
    return out + count;
}
