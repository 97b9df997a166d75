#include "core/Sentences.h"

#include <QString>

#include <algorithm>
#include <array>

namespace
{
// Abbreviations of Catalan and Spanish that a full stop follows without ending the
// sentence, in lower case.
constexpr std::array kAbbreviations = {
    u"admón", u"apdo", u"aprox", u"art", u"av", u"avda", u"c", u"cap", u"cf", u"cia", u"cit",
    u"col", u"dept", u"depto", u"dr", u"dra", u"dres", u"drs", u"ed", u"etc", u"ex", u"fig",
    u"gral", u"ibid", u"il·lm", u"ilm", u"jr", u"lic", u"màx", u"máx", u"mín", u"min", u"mons",
    u"mr", u"mrs", u"ntra", u"núm", u"núms", u"num", u"pàg", u"pàgs", u"pág", u"págs", u"pag",
    u"pl", u"pp", u"prof", u"profa", u"pròl", u"sig", u"sgt", u"sr", u"sra", u"sras", u"sres",
    u"srs", u"srta", u"st", u"sta", u"sto", u"tel", u"telf", u"ud", u"uds", u"vd", u"vds", u"vol",
    u"vs",
};

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator
        || c == QChar::LineSeparator || c == QChar::Nbsp;
}

bool IsLineBreak(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

bool IsCloser(QChar c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == u'»' || c == u'”' || c == u'’';
}

// The word before a full stop at `dot` is an abbreviation or an initial.
bool AbbreviationBefore(QStringView text, int dot)
{
    constexpr int kLongest = 8;
    int start = dot;
    while (start > 0 && dot - start <= kLongest && (text.at(start - 1).isLetter() || text.at(start - 1) == u'·'))
        --start;
    const int length = dot - start;
    if (length == 0 || length > kLongest)
        return false;
    if (start > 0 && !IsBlank(text.at(start - 1)) && text.at(start - 1) != u'(' && text.at(start - 1) != u'.')
        return false;
    if (length == 1)
        return true;
    const QString word = text.mid(start, length).toString().toLower();
    return std::any_of(kAbbreviations.begin(), kAbbreviations.end(),
                       [&word](const char16_t *known) { return QStringView(known) == word; });
}

// A line break followed by a line of nothing but blanks and another line break.
bool BlankLineAfter(QStringView text, int lineBreak)
{
    for (qsizetype i = lineBreak + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (IsLineBreak(c))
            return true;
        if (!IsBlank(c))
            return false;
    }
    return false;
}

// A sentence ends just after the character at i.
bool EndsAfter(QStringView text, int i)
{
    const QChar at = text.at(i);
    if (IsLineBreak(at))
        return BlankLineAfter(text, i);
    if (i + 1 < text.size() && !IsBlank(text.at(i + 1)))
        return false;
    int mark = i;
    while (mark > 0 && IsCloser(text.at(mark)))
        --mark;
    const QChar c = text.at(mark);
    if (c == u'!' || c == u'?' || c == u'…')
        return true;
    if (c != u'.')
        return false;
    // An ellipsis of full stops ends one; a stop after an abbreviation does not.
    if (mark > 0 && text.at(mark - 1) == u'.')
        return true;
    return !AbbreviationBefore(text, mark);
}

int SkipBlanks(QStringView text, int from)
{
    while (from < text.size() && IsBlank(text.at(from)))
        ++from;
    return int(from);
}
} // namespace

namespace Sentences
{
int StartAt(QStringView text, int position)
{
    position = std::clamp(position, 0, int(text.size()));
    for (int i = position - 1; i >= 0; --i) {
        if (EndsAfter(text, i)) {
            const int start = SkipBlanks(text, i + 1);
            if (start <= position)
                return start;
        }
    }
    return std::min(SkipBlanks(text, 0), position);
}

int NextStart(QStringView text, int position)
{
    position = std::clamp(position, 0, int(text.size()));
    int from = position;
    while (from > 0 && IsBlank(text.at(from - 1)))
        --from;
    for (int i = std::max(0, from - 1); i < text.size(); ++i) {
        if (EndsAfter(text, i)) {
            const int start = SkipBlanks(text, i + 1);
            if (start > position)
                return start;
        }
    }
    return int(text.size());
}

int PreviousStart(QStringView text, int position)
{
    const int current = StartAt(text, position);
    return current == 0 ? 0 : StartAt(text, current - 1);
}

int EndAt(QStringView text, int position)
{
    const int next = NextStart(text, StartAt(text, position));
    int end = next;
    while (end > 0 && IsBlank(text.at(end - 1)))
        --end;
    return end;
}

QList<int> Starts(QStringView text)
{
    QList<int> starts;
    for (int start = SkipBlanks(text, 0); start < text.size(); start = NextStart(text, start))
        starts << start;
    return starts;
}

QString WithoutInnerStops(QStringView text)
{
    QString spoken = text.toString();
    for (int i = 0; i + 1 < text.size(); ++i)
        if (text.at(i) == u'.' && IsBlank(text.at(i + 1)) && !EndsAfter(text, i))
            spoken[i] = u' ';
    return spoken;
}
} // namespace Sentences
