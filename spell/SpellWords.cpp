#include "spell/SpellWords.h"

namespace
{
bool IsLetter(QChar c)
{
    return c.isLetter() || c.isMark();
}

bool IsJoiner(QChar c)
{
    return c == u'\'' || c == u'\u2019' || c == u'\u00B7' || c == u'-' || c == u'\u2010';
}

// A blank-separated piece that names a place rather than holding words.
bool IsAddress(QStringView piece)
{
    if (piece.contains(u"://") || piece.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    const qsizetype at = piece.indexOf(u'@');
    if (at > 0 && piece.indexOf(u'.', at) > at)
        return true;
    return piece.contains(u'/') || piece.contains(u'\\');
}

void AddWordsOfPiece(QStringView text, qsizetype from, qsizetype to, QList<WordSpan> &words)
{
    qsizetype i = from;
    while (i < to) {
        if (!IsLetter(text[i]) && !text[i].isDigit()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool digit = false;
        while (i < to) {
            const QChar c = text[i];
            if (IsLetter(c) || c.isDigit()) {
                digit = digit || c.isDigit();
                ++i;
            } else if (IsJoiner(c) && i + 1 < to && IsLetter(text[i + 1]) && IsLetter(text[i - 1])) {
                ++i;
            } else {
                break;
            }
        }
        if (!digit)
            words.append({start, i - start});
    }
}
} // namespace

QList<WordSpan> WordsToCheck(QStringView text)
{
    QList<WordSpan> words;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        while (i < size && text[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < size && !text[i].isSpace())
            ++i;
        if (i > start && !IsAddress(text.mid(start, i - start)))
            AddWordsOfPiece(text, start, i, words);
    }
    return words;
}

QString DictionaryForm(QStringView word)
{
    QString form = word.toString();
    form.replace(u'\u2019', u'\'');
    form.replace(u'\u2010', u'-');
    return form;
}

WordSpan WordAt(QStringView text, qsizetype position)
{
    // Only the blank-separated piece around the position is looked at.
    qsizetype from = qBound<qsizetype>(0, position, text.size());
    while (from > 0 && !text[from - 1].isSpace())
        --from;
    qsizetype to = qBound<qsizetype>(0, position, text.size());
    while (to < text.size() && !text[to].isSpace())
        ++to;
    for (const WordSpan &word : WordsToCheck(text.mid(from, to - from))) {
        const qsizetype start = from + word.start;
        if (position >= start && position <= start + word.length)
            return {start, word.length};
    }
    return {};
}
