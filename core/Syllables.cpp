#include "core/Syllables.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <hyphen.h>

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr char16_t kMiddleDot = u'\u00B7';
constexpr char16_t kLDot = u'\u0140'; // ŀ, the l with its dot in one letter
constexpr char16_t kCapitalLDot = u'\u013F';

bool IsLetterAt(QStringView text, qsizetype i, qsizetype *width)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *width = 2;
        return QChar::isLetter(QChar::surrogateToUcs4(c, text[i + 1]));
    }
    *width = 1;
    return c.isLetter();
}

bool IsL(QChar c)
{
    return c == u'l' || c == u'L';
}

// One letter of a word as the rules see it: where it lies, and its lower-case form without
// the marks that follow it (a combining accent is folded into its letter first).
struct Letter
{
    qsizetype start = 0;
    qsizetype length = 0;
    QChar key;
};

QList<Letter> LettersOf(QStringView word)
{
    QList<Letter> letters;
    qsizetype i = 0;
    while (i < word.size()) {
        qsizetype end = i + 1;
        if (word[i].isHighSurrogate() && end < word.size() && word[end].isLowSurrogate())
            ++end;
        while (end < word.size() && word[end].isMark())
            ++end;
        const QString folded = word.mid(i, end - i).toString().normalized(QString::NormalizationForm_C).toLower();
        letters.append({i, end - i, folded.size() == 1 ? folded.front() : folded.front().toLower()});
        i = end;
    }
    return letters;
}

QChar BaseOf(QChar c)
{
    const QString decomposed = c.decomposition();
    return decomposed.isEmpty() || c.decompositionTag() != QChar::Canonical ? c : decomposed.front();
}

bool IsVowel(QChar c)
{
    const QChar base = BaseOf(c);
    return base == u'a' || base == u'e' || base == u'i' || base == u'o' || base == u'u' || base == u'y';
}

// A plain i or u, which may glide into the vowel beside it.
bool IsPlainWeak(QChar c)
{
    return c == u'i' || c == u'u';
}

// a, e, o with or without an accent, and an i or u whose accent makes it a vowel of its own.
bool IsStrongForSpanish(QChar c)
{
    const QChar base = BaseOf(c);
    if (base == u'a' || base == u'e' || base == u'o')
        return true;
    return (base == u'i' || base == u'u') && c != base && c != u'ü' && c != u'ï';
}

QStringList LanguageNames(const QString &language)
{
    const QStringList parts = language.trimmed().split(QRegularExpression(QStringLiteral("[-_.@]")));
    const QString lang = parts.value(0).toLower();
    QString region = parts.value(1).toUpper();
    if (region.size() != 2)
        region.clear();
    QStringList names;
    if (!region.isEmpty())
        names << lang + u'_' + region;
    names << lang + u'_' + lang.toUpper() << lang;
    // Languages whose own region is another code.
    if (lang == QLatin1String("ca") || lang == QLatin1String("es") || lang == QLatin1String("gl"))
        names << lang + QStringLiteral("_ES");
    else if (lang == QLatin1String("en"))
        names << QStringLiteral("en_US");
    return names;
}
} // namespace

struct SyllableSplitter::Dictionary
{
    HyphenDict *patterns = nullptr;
    ~Dictionary()
    {
        if (patterns)
            hnj_hyphen_free(patterns);
    }
};

QList<TextWord> WordsForSyllables(QStringView text)
{
    QList<TextWord> words;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        qsizetype width = 1;
        if (!IsLetterAt(text, i, &width)) {
            i += width;
            continue;
        }
        const qsizetype start = i;
        i += width;
        while (i < size) {
            if (text[i].isMark()) {
                ++i;
                continue;
            }
            if (text[i] == kMiddleDot && i + 1 < size && IsL(text[i - 1]) && IsL(text[i + 1])) {
                ++i;
                continue;
            }
            if (!IsLetterAt(text, i, &width))
                break;
            i += width;
        }
        words.append({start, i - start});
    }
    return words;
}

QStringList SyllableSplitter::PatternFolders()
{
    return {QStringLiteral("/usr/share/hyphen"), QStringLiteral("/usr/share/myspell/dicts")};
}

SyllableSplitter::SyllableSplitter(const QString &language, const QStringList &folders)
{
    const QStringList names = LanguageNames(language);
    m_language = names.last().left(2);
    if (m_language.isEmpty() || !m_language.front().isLetter()) {
        m_problem = QStringLiteral("no language to part syllables in");
        return;
    }
    for (const QString &name : names) {
        for (const QString &folder : folders) {
            const QString file = QDir(folder).filePath(QStringLiteral("hyph_%1.dic").arg(name));
            if (!QFileInfo(file).isFile())
                continue;
            HyphenDict *patterns = hnj_hyphen_load(QFile::encodeName(file).constData());
            if (!patterns) {
                m_problem = QStringLiteral("the hyphenation patterns %1 cannot be read").arg(file);
                continue;
            }
            m_dictionary = std::make_unique<Dictionary>();
            m_dictionary->patterns = patterns;
            m_language = name.left(2);
            m_problem.clear();
            return;
        }
    }
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("there are no hyphenation patterns for the language '%1' (Debian's hyphen-%1 has them)")
                        .arg(m_language);
}

SyllableSplitter::~SyllableSplitter() = default;

namespace
{
// The borders libhyphen's patterns put between the letters, as letter indexes (a border
// before letter n). One-letter syllables are allowed at both ends.
QList<int> PatternBorders(HyphenDict *patterns, const QList<Letter> &letters)
{
    QByteArray bytes;
    QList<int> lastByte;
    lastByte.reserve(letters.size());
    for (const Letter &letter : letters) {
        // The patterns know vowels without a diaeresis, which parts no consonants.
        const QChar key = letter.key == u'ü' ? QChar(u'u') : letter.key == u'ï' ? QChar(u'i') : letter.key;
        if (patterns->utf8)
            bytes += QString(key).toUtf8();
        else
            bytes += key.unicode() < 256 ? char(key.unicode()) : '?';
        lastByte.append(int(bytes.size()) - 1);
    }
    QByteArray hyphens(bytes.size() + 5, '0');
    char **rep = nullptr;
    int *pos = nullptr;
    int *cut = nullptr;
    hnj_hyphen_hyphenate3(patterns, bytes.constData(), int(bytes.size()), hyphens.data(), nullptr, &rep, &pos, &cut, 1,
                          1, 1, 1);
    if (rep) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
    QList<int> borders;
    for (int n = 0; n + 1 < letters.size(); ++n)
        if (hyphens.at(lastByte.at(n)) & 1)
            borders.append(n + 1);
    return borders;
}

// Whether a vowel group's letter n glides into the vowel after it rather than being a
// vowel of its own: u after q or g, and a word's first i or u (also after h).
bool GlidesIntoNext(const QList<Letter> &letters, int n, const QString &language)
{
    if (n + 1 >= letters.size() || !IsVowel(letters.at(n + 1).key))
        return false;
    const QChar c = letters.at(n).key;
    const QChar before = n > 0 ? letters.at(n - 1).key : QChar();
    if ((c == u'u' || c == u'ü') && (before == u'q' || before == u'g'))
        return true;
    if (language == QLatin1String("ca") && IsPlainWeak(c) && (n == 0 || (n == 1 && before == u'h')))
        return true;
    return false;
}

// The Catalan borders inside the vowel group first..last: a plain i or u between two vowels
// starts the next syllable ("no-ia", "ve-uen"), one after the group's last vowel closes a
// falling diphthong ("ai-gua", "cui-na"), ï stands alone ("ve-ï-na") and every other pair
// is a hiatus ("po-e-si-a", "pa-ís").
void CatalanGroupBorders(const QList<Letter> &letters, int first, int last, const QList<bool> &glide,
                         QList<bool> *border)
{
    auto consonantal = [&](int k) {
        return k > first && k < last && IsPlainWeak(letters.at(k).key) && !glide.at(k - 1);
    };
    for (int k = first; k < last; ++k) {
        const QChar a = letters.at(k).key;
        const QChar b = letters.at(k + 1).key;
        bool apart = true;
        if (glide.at(k) || consonantal(k))
            apart = false;
        else if (consonantal(k + 1) || a == u'ï' || b == u'ï')
            apart = true;
        else if (IsPlainWeak(b) && k + 1 == last)
            apart = false;
        (*border)[k + 1] = apart;
    }
}

// Spanish parts two vowels only when neither glides: a, e, o and accented i and u.
void SpanishGroupBorders(const QList<Letter> &letters, int first, int last, const QList<bool> &glide,
                         QList<bool> *border)
{
    for (int k = first; k < last; ++k)
        (*border)[k + 1] = !glide.at(k) && IsStrongForSpanish(letters.at(k).key)
                           && IsStrongForSpanish(letters.at(k + 1).key);
}

// Two consonants that may start a syllable together ("tre", "pla", Spanish "che", Catalan "nya").
bool IsOnset(QChar a, QChar b, const QString &language)
{
    if ((b == u'l' || b == u'r') && QStringView(u"pbcgfktd").contains(a) && !(b == u'l' && (a == u't' || a == u'd')))
        return true;
    if (a == u'l' && b == u'l')
        return true;
    if (language == QLatin1String("es"))
        return (a == u'c' && b == u'h') || (a == u'r' && b == u'r');
    return a == u'n' && b == u'y';
}

// The consonants between two vowels part before the last of them, or before the last two
// when those may start a syllable: "a-mic", "ins-tru-ment", "cot-xe", "ca-rro".
void ConsonantBorders(const QList<Letter> &letters, const QString &language, QList<bool> *border)
{
    const int count = int(letters.size());
    auto consonant = [&](int k) {
        const QChar c = letters.at(k).key;
        return !IsVowel(c) || (c == u'y' && k + 1 < count && IsVowel(letters.at(k + 1).key));
    };
    int k = 1;
    while (k < count) {
        if (!consonant(k) || consonant(k - 1)) {
            ++k;
            continue;
        }
        int last = k;
        while (last + 1 < count && consonant(last + 1))
            ++last;
        if (last + 1 < count) {
            const int onset = last > k && IsOnset(letters.at(last - 1).key, letters.at(last).key, language) ? 2 : 1;
            for (int n = k; n <= last; ++n)
                (*border)[n] = false;
            (*border)[last + 1 - onset] = true;
        }
        k = last + 1;
    }
}

void VowelBorders(const QList<Letter> &letters, const QString &language, QList<bool> *border)
{
    const int count = int(letters.size());
    QList<bool> glide(count, false);
    for (int n = 0; n < count; ++n)
        glide[n] = GlidesIntoNext(letters, n, language);
    auto groupVowel = [&](int n) { return IsVowel(letters.at(n).key) && letters.at(n).key != u'y'; };
    int n = 0;
    while (n < count) {
        if (!groupVowel(n)) {
            ++n;
            continue;
        }
        int last = n;
        while (last + 1 < count && groupVowel(last + 1))
            ++last;
        if (language == QLatin1String("ca"))
            CatalanGroupBorders(letters, n, last, glide, border);
        else
            SpanishGroupBorders(letters, n, last, glide, border);
        n = last + 1;
    }
    ConsonantBorders(letters, language, border);
}

// A syllable needs a vowel: a border that leaves a part of the word without one goes.
void KeepVowelInEverySyllable(const QList<Letter> &letters, QList<bool> *border)
{
    bool hasVowel = false;
    int partStart = 0;
    for (int n = 0; n < int(letters.size()); ++n) {
        if (n > 0 && border->at(n)) {
            if (hasVowel) {
                partStart = n;
                hasVowel = false;
            } else {
                (*border)[n] = false; // the part joins the next one
            }
        }
        if (IsVowel(letters.at(n).key))
            hasVowel = true;
    }
    if (!hasVowel && partStart > 0)
        (*border)[partStart] = false; // the word's last part joins the one before
}
} // namespace

QList<qsizetype> SyllableSplitter::Borders(QStringView word) const
{
    const QList<Letter> letters = LettersOf(word);
    const int count = int(letters.size());
    if (count < 2)
        return {};
    QList<bool> border(count, false);
    if (m_dictionary)
        for (int n : PatternBorders(m_dictionary->patterns, letters))
            border[n] = true;
    const bool vowelRules = m_language == QLatin1String("ca") || m_language == QLatin1String("es");
    if (vowelRules)
        VowelBorders(letters, m_language, &border);
    if (m_language == QLatin1String("ca"))
        for (int n = 1; n + 1 < count; ++n) {
            const QChar c = letters.at(n).key;
            if ((c == kMiddleDot && letters.at(n - 1).key == u'l') || c == kLDot || c == kCapitalLDot) {
                border[n] = false;
                border[n + 1] = true;
            }
        }
    KeepVowelInEverySyllable(letters, &border);
    QList<qsizetype> offsets;
    for (int n = 1; n < count; ++n)
        if (border.at(n))
            offsets.append(letters.at(n).start);
    return offsets;
}

QStringList SyllableSplitter::Syllables(QStringView word) const
{
    QStringList parts;
    qsizetype from = 0;
    for (qsizetype border : Borders(word)) {
        parts.append(word.mid(from, border - from).toString());
        from = border;
    }
    parts.append(word.mid(from).toString());
    return parts;
}

QString SyllableSplitter::Marked(QStringView text, QStringView separator) const
{
    QString out;
    out.reserve(text.size() + text.size() / 3);
    qsizetype copied = 0;
    for (const TextWord &word : WordsForSyllables(text)) {
        const QStringView letters = text.mid(word.start, word.length);
        for (qsizetype border : Borders(letters)) {
            const qsizetype at = word.start + border;
            out += text.mid(copied, at - copied);
            copied = at;
            if (text[at - 1] != kMiddleDot && text[at - 1] != kLDot && text[at - 1] != kCapitalLDot)
                out += separator;
        }
    }
    out += text.mid(copied);
    return out;
}
