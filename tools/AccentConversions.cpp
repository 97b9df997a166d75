#include "tools/AccentConversions.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <vector>

namespace {

const std::array<ReplacementRow, 39> kAccentsToHtml = {{
    {u"á", u"&aacute;"}, {u"à", u"&agrave;"}, {u"Á", u"&Aacute;"}, {u"À", u"&Agrave;"},
    {u"é", u"&eacute;"}, {u"è", u"&egrave;"}, {u"É", u"&Eacute;"}, {u"È", u"&Egrave;"},
    {u"í", u"&iacute;"}, {u"ì", u"&igrave;"}, {u"Í", u"&Iacute;"}, {u"Ì", u"&Igrave;"},
    {u"ó", u"&oacute;"}, {u"ò", u"&ograve;"}, {u"Ó", u"&Oacute;"}, {u"Ò", u"&Ograve;"},
    {u"ú", u"&uacute;"}, {u"ù", u"&ugrave;"}, {u"Ú", u"&Uacute;"}, {u"Ù", u"&Ugrave;"},
    {u"ç", u"&ccedil;"}, {u"Ç", u"&Ccedil;"}, {u"ä", u"&auml;"},   {u"Ä", u"&Auml;"},
    {u"ë", u"&euml;"},   {u"Ë", u"&Euml;"},   {u"ï", u"&iuml;"},   {u"Ï", u"&Iuml;"},
    {u"ö", u"&ouml;"},   {u"Ö", u"&Ouml;"},   {u"ü", u"&uuml;"},   {u"Ü", u"&Uuml;"},
    {u"ñ", u"&ntilde;"}, {u"Ñ", u"&Ntilde;"}, {u"¿", u"&iquest;"}, {u"Ê", u"&Ecirc;"},
    {u"ê", u"&ecirc;"},  {u"ô", u"&ocirc;"},  {u"Ô", u"&Ocirc;"},
}};

// The way back has no rows for the last two entities: &ocirc; and &Ocirc; stay.
constexpr int kHtmlToAccentsRowCount = 37;

const std::array<ReplacementRow, 28> kAccentsToUnicode = {{
    {u"à", u"\\u00e0"}, {u"á", u"\\u00e1"}, {u"è", u"\\u00e8"}, {u"é", u"\\u00e9"},
    {u"ì", u"\\u00ec"}, {u"í", u"\\u00ed"}, {u"ï", u"\\u00ef"}, {u"ò", u"\\u00f2"},
    {u"ó", u"\\u00f3"}, {u"ù", u"\\u00f9"}, {u"ú", u"\\u00fa"}, {u"ü", u"\\u00fc"},
    {u"ç", u"\\u00e7"}, {u"ñ", u"\\u00f1"}, {u"À", u"\\u00c0"}, {u"Á", u"\\u00c1"},
    {u"È", u"\\u00c8"}, {u"É", u"\\u00c9"}, {u"Ì", u"\\u00cc"}, {u"Í", u"\\u00cd"},
    {u"Ï", u"\\u00cf"}, {u"Ò", u"\\u00d2"}, {u"Ó", u"\\u00d3"}, {u"Ù", u"\\u00d9"},
    {u"Ú", u"\\u00da"}, {u"Ü", u"\\u00dc"}, {u"Ç", u"\\u00c7"}, {u"Ñ", u"\\u00d1"},
}};

template <size_t N>
std::array<ReplacementRow, N> Reversed(std::span<const ReplacementRow> rows)
{
    std::array<ReplacementRow, N> reversed;
    for (size_t i = 0; i < N; ++i)
        reversed[i] = {rows[i].replacement, rows[i].search};
    return reversed;
}

const std::array<ReplacementRow, kHtmlToAccentsRowCount> kHtmlToAccents =
    Reversed<kHtmlToAccentsRowCount>(kAccentsToHtml);
const std::array<ReplacementRow, 28> kUnicodeToAccents = Reversed<28>(kAccentsToUnicode);

// Every accented letter of the tables lies below U+0100.
using CharacterTable = std::array<QStringView, 256>;

CharacterTable MakeCharacterTable(std::span<const ReplacementRow> rows)
{
    CharacterTable table{};
    for (const ReplacementRow &row : rows) {
        Q_ASSERT(row.search.size() == 1 && row.search[0].unicode() < 256);
        table[row.search[0].unicode()] = row.replacement;
    }
    return table;
}

// Appends text to out with every character that has a row replaced; gives the position in
// out right after the last replacement of lastRowCharacter, or -1.
qsizetype AppendCharacters(QStringView text, const CharacterTable &table, QChar lastRowCharacter,
                           QString &out)
{
    const qsizetype size = text.size();
    const QChar *in = text.data();
    qsizetype outputSize = size;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i].unicode();
        if (c < 256 && !table[c].isNull())
            outputSize += table[c].size() - 1;
    }
    const qsizetype start = out.size();
    out.resize(start + outputSize);
    QChar *const first = out.data();
    QChar *to = first + start;
    qsizetype caret = -1;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i].unicode();
        if (c < 256 && !table[c].isNull()) {
            const QStringView replacement = table[c];
            to = CopyCharacters(to, replacement.data(), replacement.size());
            if (c == lastRowCharacter.unicode())
                caret = to - first;
        } else {
            *to++ = in[i];
        }
    }
    return caret;
}

// Replaces every character that has a row; the caret follows the last replacement of
// the table's last row, as the row-by-row loop leaves it.
TextConversion ReplaceCharacters(const QString &text, const CharacterTable &table,
                                 QChar lastRowCharacter)
{
    const bool found = std::any_of(text.begin(), text.end(), [&table](QChar c) {
        return c.unicode() < 256 && !table[c.unicode()].isNull();
    });
    if (!found)
        return {text, 0, 0};
    QString result;
    const qsizetype caret = AppendCharacters(text, table, lastRowCharacter, result);
    return {result, int(std::max<qsizetype>(caret, 0)), 0};
}

const CharacterTable &AccentsToHtmlTable()
{
    static const CharacterTable table = MakeCharacterTable(kAccentsToHtml);
    return table;
}

const CharacterTable &AccentsToUnicodeTable()
{
    static const CharacterTable table = MakeCharacterTable(kAccentsToUnicode);
    return table;
}

// Replaces sequences that begin with a marker character and are recognised by match,
// which gives the length of the sequence at a position and its replacement character,
// or 0. None of the sequences holds its marker after the first character, so matches
// never overlap and one scan finds them all; each is at least two characters long, so
// the result is never longer than the text.
template <typename Match>
TextConversion ReplaceSequences(const QString &text, QChar marker, QChar lastRowCharacter,
                                Match match)
{
    const QStringView source(text);
    QString result;
    QChar *out = nullptr;
    qsizetype copied = 0;
    qsizetype caret = 0;
    for (qsizetype at = source.indexOf(marker); at >= 0; at = source.indexOf(marker, at + 1)) {
        QChar replacement;
        const qsizetype length = match(source.mid(at), replacement);
        if (length == 0)
            continue;
        if (!out) {
            result = QString(text.size(), Qt::Uninitialized);
            out = result.data();
        }
        out = CopyCharacters(out, source.data() + copied, at - copied);
        *out++ = replacement;
        if (replacement == lastRowCharacter)
            caret = out - result.constData();
        copied = at + length;
        at = copied - 1;
    }
    if (!out)
        return {text, 0, 0};
    out = CopyCharacters(out, source.data() + copied, source.size() - copied);
    result.truncate(out - result.constData());
    return {result, int(caret), 0};
}

} // namespace

std::span<const ReplacementRow> AccentsToHtmlRows() { return kAccentsToHtml; }
std::span<const ReplacementRow> HtmlToAccentsRows() { return kHtmlToAccents; }
std::span<const ReplacementRow> AccentsToUnicodeRows() { return kAccentsToUnicode; }
std::span<const ReplacementRow> UnicodeToAccentsRows() { return kUnicodeToAccents; }

TextConversion AccentsToHtml(const QString &text)
{
    return ReplaceCharacters(text, AccentsToHtmlTable(), kAccentsToHtml.back().search[0]);
}

TextConversion AccentsToUnicode(const QString &text)
{
    return ReplaceCharacters(text, AccentsToUnicodeTable(), kAccentsToUnicode.back().search[0]);
}

void AppendAccentsToHtml(QStringView text, QString &out)
{
    AppendCharacters(text, AccentsToHtmlTable(), kAccentsToHtml.back().search[0], out);
}

void AppendAccentsToUnicode(QStringView text, QString &out)
{
    AppendCharacters(text, AccentsToUnicodeTable(), kAccentsToUnicode.back().search[0], out);
}

TextConversion HtmlToAccents(const QString &text)
{
    // The rows of each entity's first letter, so that a "&" is tried against a few rows only.
    static const std::array<std::vector<const ReplacementRow *>, 128> rowsByLetter = [] {
        std::array<std::vector<const ReplacementRow *>, 128> table;
        for (const ReplacementRow &row : kHtmlToAccents)
            table[row.search[1].unicode()].push_back(&row);
        return table;
    }();
    auto match = [](QStringView at, QChar &replacement) -> qsizetype {
        if (at.size() < 2 || at[1].unicode() >= 128)
            return 0;
        for (const ReplacementRow *row : rowsByLetter[at[1].unicode()]) {
            if (at.startsWith(row->search)) {
                replacement = row->replacement[0];
                return row->search.size();
            }
        }
        return 0;
    };
    return ReplaceSequences(text, u'&', kHtmlToAccents.back().replacement[0], match);
}

TextConversion UnicodeToAccents(const QString &text)
{
    static const CharacterTable escapes = [] {
        // Indexed by the code the escape spells.
        CharacterTable table{};
        for (const ReplacementRow &row : kUnicodeToAccents)
            table[row.replacement[0].unicode()] = row.replacement;
        return table;
    }();
    auto hexDigit = [](QChar c) -> int {
        if (c >= u'0' && c <= u'9')
            return c.unicode() - u'0';
        if (c >= u'a' && c <= u'f')
            return c.unicode() - u'a' + 10;
        return -1; // upper-case digits are not recognised
    };
    auto match = [&](QStringView at, QChar &replacement) -> qsizetype {
        if (at.size() < 6 || at[1] != u'u' || at[2] != u'0' || at[3] != u'0')
            return 0;
        const int high = hexDigit(at[4]);
        const int low = hexDigit(at[5]);
        if (high < 0 || low < 0 || escapes[high * 16 + low].isNull())
            return 0;
        replacement = escapes[high * 16 + low][0];
        return 6;
    };
    return ReplaceSequences(text, u'\\', kUnicodeToAccents.back().replacement[0], match);
}
