#include "tools/ReplaceAll.h"

#include <vector>

int ReplaceAll(QString &text, QStringView search, QStringView replacement)
{
    if (search.isEmpty())
        return -1;
    const QStringView source(text);
    // The positions of the matches, found before anything changes; a search goes on at
    // the end of the previous match, which is where the caret stands in the new text.
    std::vector<qsizetype> matches;
    for (qsizetype at = source.indexOf(search); at >= 0;
         at = source.indexOf(search, at + search.size()))
        matches.push_back(at);
    if (matches.empty())
        return -1;

    const qsizetype delta = replacement.size() - search.size();
    QString result(text.size() + delta * qsizetype(matches.size()), Qt::Uninitialized);
    QChar *out = result.data();
    const QChar *in = source.data();
    qsizetype copied = 0;
    for (const qsizetype at : matches) {
        out = CopyCharacters(out, in + copied, at - copied);
        out = CopyCharacters(out, replacement.data(), replacement.size());
        copied = at + search.size();
    }
    const qsizetype caret = out - result.constData();
    CopyCharacters(out, in + copied, source.size() - copied);
    text = std::move(result);
    return int(caret);
}

TextConversion ApplyReplacementRows(const QString &text, std::span<const ReplacementRow> rows)
{
    TextConversion conversion{text, 0, 0};
    for (const ReplacementRow &row : rows) {
        const int caret = ReplaceAll(conversion.text, row.search, row.replacement);
        // Every row starts from the start of the text and leaves the caret where it stops.
        conversion.selStart = caret < 0 ? 0 : caret;
    }
    return conversion;
}
