#include "book/BookChapters.h"

#include "core/Sentences.h"
#include "export/Subtitles.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

void SetParagraphLanguages(BookChapter &chapter, const QList<LanguageRun> &languages)
{
    int start = 0;
    qsizetype run = 0;
    for (BookParagraph &paragraph : chapter.paragraphs) {
        while (run < languages.size() && languages.at(run).start + languages.at(run).length <= start)
            ++run;
        paragraph.language.clear();
        if (run < languages.size() && languages.at(run).start <= start) {
            const QString &language = languages.at(run).language;
            if (language != QLatin1String("und"))
                paragraph.language = language;
        }
        start += int(paragraph.text.size()) + 2; // the blank line ChapterText puts between
    }
}

namespace {

// A heading that says what it is: "Capítol 3", "Tema IV: ...", "Unitat 2".
const QRegularExpression &NumberedHeading()
{
    static const QRegularExpression numbered(
        QStringLiteral("^\\s*(cap[ií]tol|cap[ií]tulo|chapter|tema|unitat)\\s+([0-9]+|[ivxlcdm]+)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return numbered;
}

bool HasLetter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
}

// A title for the table of contents: one line, at most kLongestChapterTitle characters,
// cut between words where it can be.
QString ShortTitle(const QString &text)
{
    QString title = text.simplified();
    if (title.size() <= kLongestChapterTitle)
        return title;
    title.truncate(kLongestChapterTitle);
    const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
    if (blank > kLongestChapterTitle / 2)
        title.truncate(blank);
    return title + QStringLiteral("…");
}

// Without headings, a part is named by the first words of its first paragraph.
QString PartTitle(const QString &paragraph)
{
    constexpr qsizetype kLongest = 60;
    QString title = paragraph.simplified();
    if (title.size() <= kLongest)
        return title;
    title.truncate(kLongest);
    const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
    if (blank > kLongest / 2)
        title.truncate(blank);
    return title + QStringLiteral("…");
}

} // namespace

bool IsHeadingLine(const QString &line, bool blankBefore, bool blankAfter)
{
    const QString text = line.trimmed();
    if (text.isEmpty() || !HasLetter(text))
        return false;
    if (NumberedHeading().match(text).hasMatch())
        return true;
    if (!blankBefore || !blankAfter || text.size() >= 80)
        return false;
    static const QString kSentenceEnds = QStringLiteral(".!?…:;,");
    return !kSentenceEnds.contains(text.back());
}

QList<BookChapter> ChaptersOf(const QString &text, const QString &title)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<BookParagraph> paragraphs;
    bool anyHeading = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const bool blankBefore = i == 0 || lines.at(i - 1).trimmed().isEmpty();
        const bool blankAfter = i + 1 == lines.size() || lines.at(i + 1).trimmed().isEmpty();
        const bool heading = IsHeadingLine(line, blankBefore, blankAfter);
        anyHeading = anyHeading || heading;
        paragraphs.append({line.trimmed(), heading});
    }

    QList<BookChapter> chapters;
    for (const BookParagraph &paragraph : std::as_const(paragraphs)) {
        const bool newPart = anyHeading ? paragraph.heading
                                        : chapters.isEmpty() || chapters.last().paragraphs.size() >= kParagraphsPerPart;
        if (newPart || chapters.isEmpty()) {
            BookChapter chapter;
            chapter.title = paragraph.heading ? ShortTitle(paragraph.text)
                            : anyHeading      ? ShortTitle(title)
                                              : PartTitle(paragraph.text);
            chapters.append(chapter);
        }
        chapters.last().paragraphs.append(paragraph);
    }
    return chapters;
}

QString BookTitleOf(const QList<BookChapter> &chapters, const QString &fallback)
{
    for (const BookChapter &chapter : chapters)
        for (const BookParagraph &paragraph : chapter.paragraphs)
            if (paragraph.heading)
                return ShortTitle(paragraph.text);
    return ShortTitle(fallback);
}

QString ChapterText(const BookChapter &chapter)
{
    QString text;
    for (const BookParagraph &paragraph : chapter.paragraphs) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += paragraph.text;
    }
    return text;
}

namespace {

// The first time heard within [from, to) of the text, by the words' times, else by the
// voice's sentence marks.
struct PlacedMark
{
    qsizetype position = 0;
    qint64 ms = 0;
};

std::optional<qint64> FirstHeard(const QList<TimedRun> &runs, const QList<PlacedMark> &sentenceMarks, qsizetype from,
                                 qsizetype to)
{
    auto run = std::lower_bound(runs.begin(), runs.end(), from,
                                [](const TimedRun &r, qsizetype position) { return r.start < position; });
    for (; run != runs.end() && run->start < to; ++run)
        if (run->ms)
            return run->ms;
    const auto mark = std::lower_bound(sentenceMarks.begin(), sentenceMarks.end(), from,
                                       [](const PlacedMark &m, qsizetype position) { return m.position < position; });
    if (mark != sentenceMarks.end() && mark->position < to)
        return mark->ms;
    return std::nullopt;
}

} // namespace

QList<BookSentence> TimeChapterSentences(const BookChapter &chapter, const QString &spoken, const WordTimes &times,
                                         qint64 soundMs)
{
    const QString text = ChapterText(chapter);
    const QList<TimedRun> runs = TimeRuns(text, spoken, times);
    // The voice's sentence marks, at their places in the text (in proportion when the
    // dictionary changed its length), in order.
    const double scale = spoken.isEmpty() ? 1.0 : double(text.size()) / double(spoken.size());
    QList<PlacedMark> sentenceMarks;
    for (const VoiceCatalog::SpokenMark &mark : times.marks)
        if (mark.kind == VoiceCatalog::SpokenMark::Kind::Sentence)
            sentenceMarks.append({qsizetype(double(mark.position) * scale), mark.ms});
    std::stable_sort(sentenceMarks.begin(), sentenceMarks.end(),
                     [](const PlacedMark &a, const PlacedMark &b) { return a.position < b.position; });

    QList<BookSentence> sentences;
    QList<qsizetype> places;  // where each sentence starts in the chapter's text
    QList<std::optional<qint64>> heard;
    qsizetype offset = 0;
    for (int p = 0; p < chapter.paragraphs.size(); ++p) {
        const QString &paragraph = chapter.paragraphs.at(p).text;
        const QList<int> starts = Sentences::Starts(paragraph);
        for (qsizetype s = 0; s < starts.size(); ++s) {
            const int start = starts.at(s);
            const int end = Sentences::EndAt(paragraph, start);
            if (end <= start)
                continue;
            const qsizetype next = s + 1 < starts.size() ? starts.at(s + 1) : paragraph.size();
            sentences.append({p, start, end, 0, 0});
            places << offset + start;
            heard << FirstHeard(runs, sentenceMarks, offset + start, offset + next);
        }
        offset += paragraph.size() + 2;
    }

    // Sentences nothing times take their share of the sound between the timed ones
    // around them, by characters.
    const qsizetype length = qMax<qsizetype>(1, text.size());
    qsizetype before = -1;  // the last timed sentence
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        if (heard.at(i)) {
            before = i;
            continue;
        }
        qsizetype after = i + 1;
        while (after < sentences.size() && !heard.at(after))
            ++after;
        const qsizetype fromPlace = before >= 0 ? places.at(before) : 0;
        const qint64 fromMs = before >= 0 ? *heard.at(before) : 0;
        const qsizetype toPlace = after < sentences.size() ? places.at(after) : length;
        const qint64 toMs = after < sentences.size() ? *heard.at(after) : soundMs;
        for (qsizetype j = i; j < after; ++j) {
            const double share =
                toPlace > fromPlace ? double(places.at(j) - fromPlace) / double(toPlace - fromPlace) : 0;
            heard[j] = fromMs + qint64(share * double(toMs - fromMs));
        }
        i = after - 1;
    }

    qint64 last = 0;
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        last = i == 0 ? 0 : qBound(last, *heard.at(i), soundMs);
        sentences[i].beginMs = last;
        if (i > 0)
            sentences[i - 1].endMs = last;
    }
    if (!sentences.isEmpty())
        sentences.last().endMs = qMax(sentences.last().beginMs, soundMs);
    return sentences;
}
