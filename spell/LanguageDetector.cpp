#include "spell/LanguageDetector.h"

#include "core/Sentences.h"
#include "spell/SpellChecker.h"
#include "spell/SpellWords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <libexttextcat/textcat.h>

#include <algorithm>
#include <bit>

namespace
{
const char kFingerprintFolder[] = "/usr/share/libexttextcat/";
// The statistics settle within a few hundred characters; the dictionaries within a few
// dozen words. Looking no further keeps a long paragraph (or a 50 MB line) cheap.
constexpr qsizetype kLookedAtCharacters = 350;
constexpr int kLookedAtWords = 48;
// A paragraph longer than this is read in its own language throughout: looking for
// sentences of another language in it would cost more than it gives.
constexpr qsizetype kLongestSplitParagraph = 20000;
// How much libexttextcat's order counts beside the share of a language's words: enough to
// settle a text whose words every candidate knows, too little to outweigh clear words.
constexpr double kFirstCandidateWeight = 0.12;
constexpr qsizetype kLargestWordCache = 200000;

// Counts runs of letters, stopping once `most` were seen.
int LetterRuns(QStringView text, int most)
{
    int runs = 0;
    bool inRun = false;
    for (const QChar c : text) {
        const bool letter = c.isLetter();
        if (letter && !inRun && ++runs >= most)
            return runs;
        inRun = letter;
    }
    return runs;
}

bool LongEnough(QStringView text)
{
    return LetterRuns(text, LanguageDetector::kFewestWords) >= LanguageDetector::kFewestWords;
}
} // namespace

const QStringList &LanguageDetector::Languages()
{
    static const QStringList languages{QStringLiteral("ca"), QStringLiteral("es"), QStringLiteral("en"),
                                       QStringLiteral("fr"), QStringLiteral("pt"), QStringLiteral("gl"),
                                       QStringLiteral("eu")};
    return languages;
}

LanguageDetector::LanguageDetector()
{
    // libexttextcat reads its list of fingerprints from a file: one naming the seven only.
    QTemporaryFile list(QDir::tempPath() + QStringLiteral("/tolvanet-languages-XXXXXX.conf"));
    if (list.open()) {
        QByteArray lines;
        for (const QString &language : Languages())
            lines += language.toLatin1() + ".lm " + language.toLatin1() + "\n";
        list.write(lines);
        list.flush();
        m_textcat = special_textcat_Init(QFile::encodeName(list.fileName()).constData(), kFingerprintFolder);
    }
    if (m_textcat)
        textcat_SetProperty(m_textcat, TCPROP_MINIMUM_DOCUMENT_SIZE, 10);
    else
        m_problem = QStringLiteral("Les empremtes de llengua de libexttextcat (%1) no es poden llegir.")
                        .arg(QString::fromLatin1(kFingerprintFolder));
    QStringList missing;
    for (const QString &language : Languages()) {
        auto checker = std::make_unique<SpellChecker>(language);
        if (!checker->Usable())
            missing << language;
        m_dictionaries.push_back(std::move(checker));
    }
    if (!missing.isEmpty() && m_problem.isEmpty())
        m_problem = QStringLiteral("No hi ha diccionari de: %1.").arg(missing.join(QStringLiteral(", ")));
}

LanguageDetector::~LanguageDetector()
{
    if (m_textcat)
        textcat_Done(m_textcat);
}

bool LanguageDetector::Usable() const
{
    return m_textcat || std::any_of(m_dictionaries.begin(), m_dictionaries.end(),
                                    [](const auto &checker) { return checker->Usable(); });
}

QList<int> LanguageDetector::TextcatCandidates(QStringView text) const
{
    QList<int> ranked;
    if (!m_textcat)
        return ranked;
    const QByteArray bytes = text.left(kLookedAtCharacters).toUtf8();
    candidate_t *candidates = textcat_GetClassifyFullOutput(m_textcat);
    const int count = textcat_ClassifyFull(m_textcat, bytes.constData(), size_t(bytes.size()), candidates);
    for (int i = 0; i < count; ++i) {
        const int index = int(Languages().indexOf(QString::fromLatin1(candidates[i].name)));
        if (index >= 0)
            ranked << index;
    }
    textcat_ReleaseClassifyFullOutput(m_textcat, candidates);
    return ranked;
}

quint8 LanguageDetector::Knowing(QStringView word) const
{
    const QString key = word.toString();
    if (const auto known = m_knowing.constFind(key); known != m_knowing.constEnd())
        return *known;
    quint8 knowing = 0;
    for (size_t i = 0; i < m_dictionaries.size(); ++i)
        if (m_dictionaries[i]->Usable() && m_dictionaries[i]->IsCorrect(word))
            knowing |= quint8(1u << i);
    if (m_knowing.size() >= kLargestWordCache)
        m_knowing.clear();
    m_knowing.insert(key, knowing);
    return knowing;
}

QString LanguageDetector::Detect(QStringView text) const
{
    text = text.left(kLookedAtCharacters * 8);
    if (!LongEnough(text))
        return {};
    const std::lock_guard<std::mutex> locked(m_lock);
    const qsizetype languages = Languages().size();
    std::vector<double> score(size_t(languages), 0.0);

    // Each word counts for the languages whose dictionary knows it, shared among them: a
    // word all seven know tells nothing, one only Galician knows tells much.
    int words = 0;
    for (const WordSpan &span : WordsToCheck(text)) {
        if (words >= kLookedAtWords)
            break;
        const QStringView word = text.mid(span.start, span.length);
        if (word.size() < 2)
            continue;
        ++words;
        const quint8 knowing = Knowing(word);
        const int count = std::popcount(unsigned(knowing));
        for (qsizetype i = 0; i < languages && count > 0; ++i)
            if (knowing & (1u << i))
                score[size_t(i)] += 1.0 / double(count);
    }
    if (words > 0)
        for (double &value : score)
            value /= words;
    // The statistics add at most kFirstCandidateWeight to a language: words that already
    // put one language further ahead than that have told it, and the statistics (the
    // larger part of the cost) are not needed.
    std::vector<double> ranking = score;
    std::partial_sort(ranking.begin(), ranking.begin() + 2, ranking.end(), std::greater<>());
    if (ranking[0] - ranking[1] <= kFirstCandidateWeight + 1e-9) {
        const QList<int> ranked = TextcatCandidates(text);
        for (qsizetype place = 0; place < ranked.size(); ++place)
            score[size_t(ranked.at(place))] += kFirstCandidateWeight / double(place + 1);
    }

    const auto best = std::max_element(score.begin(), score.end());
    if (*best <= 0.0)
        return {};
    return Languages().at(qsizetype(best - score.begin()));
}

int WordCount(QStringView text)
{
    return int(WordsToCheck(text).size());
}

QList<LanguageRun> ParagraphLanguages(QStringView text, const LanguageDetector &detector)
{
    QList<LanguageRun> paragraphs;
    QList<bool> told;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = text.mid(start, end - start);
        if (LetterRuns(line, 1) > 0) {
            const QString language = LongEnough(line) ? detector.Detect(line) : QString();
            paragraphs.append({int(start), int(end - start), language});
            told.append(!language.isEmpty());
        }
        start = end + 1;
    }
    // Short paragraphs (a heading, "Sí.", a name) take the language before them, or after them at the start.
    QString before;
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (told.at(i))
            before = paragraphs.at(i).language;
        else
            paragraphs[i].language = before;
    }
    const qsizetype firstTold = told.indexOf(true);
    for (qsizetype i = 0; i < firstTold; ++i)
        paragraphs[i].language = paragraphs.at(firstTold).language;
    return paragraphs;
}

namespace
{
// Appends a run, joining it to the one before when their language is the same.
void Append(QList<LanguageRun> &runs, int start, int end, const QString &language)
{
    if (end <= start)
        return;
    if (!runs.isEmpty() && runs.last().language == language && runs.last().start + runs.last().length == start) {
        runs.last().length = end - runs.last().start;
        return;
    }
    runs.append({start, end - start, language});
}

// The paragraph's stretch cut where a long enough sentence of another language lies.
void AppendParagraph(QList<LanguageRun> &runs, QStringView text, int start, int end, const QString &language,
                     const LanguageDetector &detector)
{
    const QStringView paragraph = text.mid(start, end - start);
    if (language.isEmpty() || paragraph.size() > kLongestSplitParagraph) {
        Append(runs, start, end, language);
        return;
    }
    QList<int> starts = Sentences::Starts(paragraph);
    if (starts.size() < 2) {
        Append(runs, start, end, language);
        return;
    }
    starts.append(int(paragraph.size()));
    for (qsizetype i = 0; i + 1 < starts.size(); ++i) {
        const QStringView sentence = paragraph.mid(starts.at(i), starts.at(i + 1) - starts.at(i));
        QString own = LongEnough(sentence) ? detector.Detect(sentence) : QString();
        if (own.isEmpty())
            own = language;
        Append(runs, start + starts.at(i), start + starts.at(i + 1), own);
    }
}
} // namespace

QList<LanguageRun> LanguageRuns(QStringView text, const LanguageDetector &detector)
{
    QList<LanguageRun> runs;
    const QList<LanguageRun> paragraphs = ParagraphLanguages(text, detector);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        const LanguageRun &paragraph = paragraphs.at(i);
        // A paragraph's run reaches the next one's start; the first starts with the text.
        const int start = i == 0 ? 0 : paragraph.start;
        const int end = i + 1 < paragraphs.size() ? paragraphs.at(i + 1).start : int(text.size());
        AppendParagraph(runs, text, start, end, paragraph.language, detector);
    }
    if (runs.isEmpty() && !text.isEmpty())
        runs.append({0, int(text.size()), QString()});
    return runs;
}
