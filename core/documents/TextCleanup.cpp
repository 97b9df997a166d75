#include "core/documents/TextCleanup.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <optional>

namespace TextCleanup {

namespace {

constexpr QChar kSoftHyphen(0x00AD);

bool EndsSentence(const QString &text)
{
    static const QString kEnds = QStringLiteral(".!?:;\u00BB\"\u201D)");
    return !text.isEmpty() && kEnds.contains(text.back());
}

// One line of a page: its words joined, and where it lies.
struct Line
{
    QString text;
    QRectF box;
    double height = 0;
    int column = 0;          // 0 on a page of one column; 1 and 2 left and right
    bool startsBlock = false; // first line of a page or of a column
};

bool Usable(const Word &word)
{
    const QRectF &b = word.box;
    return !word.text.trimmed().isEmpty() && std::isfinite(b.x()) && std::isfinite(b.y())
        && std::isfinite(b.width()) && std::isfinite(b.height()) && b.width() >= 0 && b.height() > 0
        && std::abs(b.x()) < 1e7 && std::abs(b.y()) < 1e7 && b.width() < 1e7 && b.height() < 1e7;
}

// Consecutive words on the same baseline, close enough to belong together, make a line;
// a wide gap (between columns) starts another.
QList<Line> LinesOf(const Page &page)
{
    QList<Line> lines;
    Line current;
    QRectF last;
    bool open = false;
    for (const Word &word : page.words) {
        if (!Usable(word))
            continue;
        const QRectF &box = word.box;
        bool sameLine = false;
        if (open) {
            const double h = std::min(box.height(), last.height());
            const double overlap = std::min(box.bottom(), last.bottom()) - std::max(box.top(), last.top());
            const double gap = box.left() - last.right();
            sameLine = overlap >= 0.5 * h && gap > -0.5 * h && gap <= 1.0 * std::max(box.height(), last.height());
        }
        const QString text = word.text.trimmed();
        if (sameLine) {
            // Pieces of a word set close together belong to it.
            const bool touching = !word.whole && box.left() - last.right() < 0.12 * box.height();
            current.text += touching ? text : QStringLiteral(" ") + text;
            current.box = current.box.united(box);
            current.height = std::max(current.height, box.height());
        } else {
            if (open)
                lines.append(current);
            current = Line();
            current.text = text;
            current.box = box;
            current.height = box.height();
            open = true;
        }
        last = box;
    }
    if (open)
        lines.append(current);
    return lines;
}

// The text of a header or footer line with its numbers blanked out, so that "Pàgina 3"
// and "Pàgina 4" are the same running line.
QString RunningKey(const QString &text)
{
    QString key;
    key.reserve(text.size());
    for (const QChar c : text) {
        if (c.isDigit()) {
            if (!key.endsWith(QLatin1Char('#')))
                key += QLatin1Char('#');
        } else if (!c.isSpace()) {
            key += c.toLower();
        }
    }
    return key;
}

struct Margins
{
    QList<int> top;
    QList<int> bottom;
};

// The lines near the top and the bottom edge of a page, at most two of each.
Margins MarginLines(const QList<Line> &lines, const QSizeF &size)
{
    Margins margins;
    if (lines.isEmpty())
        return margins;
    double top = lines.first().box.top(), bottom = lines.first().box.bottom();
    for (const Line &line : lines) {
        top = std::min(top, line.box.top());
        bottom = std::max(bottom, line.box.bottom());
    }
    const double height = size.height() > 0 ? size.height() : bottom;
    const double band = 0.15 * height;
    QList<int> order(lines.size());
    for (int i = 0; i < lines.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return lines[a].box.top() < lines[b].box.top(); });
    for (int i = 0; i < order.size() && margins.top.size() < 2; ++i)
        if (lines[order[i]].box.top() <= top + band && lines[order[i]].box.bottom() <= band + top + 1e-9
            && lines[order[i]].box.top() < height * 0.5)
            margins.top.append(order[i]);
    for (int i = order.size() - 1; i >= 0 && margins.bottom.size() < 2; --i)
        if (lines[order[i]].box.bottom() >= bottom - band && lines[order[i]].box.top() > height * 0.5
            && !margins.top.contains(order[i]))
            margins.bottom.append(order[i]);
    return margins;
}

// Leaves out what repeats at the top or the bottom of most of a document's pageCount
// pages. Of the first pages only, a line stays until enough of them show it running.
void DropRunningLines(QList<QList<Line>> &pages, const QList<Page> &source, qsizetype pageCount)
{
    const qsizetype count = pages.size();
    if (pageCount < 2)
        return;
    QList<Margins> margins;
    QHash<QString, int> topCount, bottomCount;
    for (qsizetype p = 0; p < count; ++p) {
        margins.append(MarginLines(pages[p], source[p].size));
        QSet<QString> seenTop, seenBottom;
        for (int i : margins.last().top)
            seenTop.insert(RunningKey(pages[p][i].text));
        for (int i : margins.last().bottom)
            seenBottom.insert(RunningKey(pages[p][i].text));
        for (const QString &key : seenTop)
            ++topCount[key];
        for (const QString &key : seenBottom)
            ++bottomCount[key];
    }
    const int needed = std::max<int>(2, int(std::ceil(0.6 * double(pageCount))));
    for (qsizetype p = 0; p < count; ++p) {
        QList<int> drop;
        for (int i : margins[p].top)
            if (topCount.value(RunningKey(pages[p][i].text)) >= needed)
                drop.append(i);
        for (int i : margins[p].bottom)
            if (bottomCount.value(RunningKey(pages[p][i].text)) >= needed)
                drop.append(i);
        std::sort(drop.begin(), drop.end(), std::greater<int>());
        for (int i : drop)
            pages[p].removeAt(i);
    }
}

// Where a page of two columns parts them: a vertical gap near the middle that (almost) no
// line crosses, with lines beside each other on both sides; none for a page of one column.
std::optional<double> ColumnGap(const QList<Line> &lines)
{
    double left = lines.first().box.left(), right = lines.first().box.right();
    for (const Line &line : lines) {
        left = std::min(left, line.box.left());
        right = std::max(right, line.box.right());
    }
    const double width = right - left;
    if (!(width > 0))
        return std::nullopt;
    int bestCrossing = int(lines.size()) + 1;
    double bestX = 0, bestRun = 0, runStart = 0;
    int runCrossing = -1;
    constexpr int kSteps = 200;
    for (int step = 0; step <= kSteps; ++step) {
        const double x = left + width * (0.25 + 0.5 * step / kSteps);
        int crossing = 0;
        for (const Line &line : lines)
            if (line.box.left() < x && line.box.right() > x)
                ++crossing;
        if (crossing != runCrossing) {
            runCrossing = crossing;
            runStart = x;
        }
        const double run = x - runStart;
        if (crossing < bestCrossing || (crossing == bestCrossing && run > bestRun)) {
            bestCrossing = crossing;
            bestRun = run;
            bestX = (runStart + x) / 2;
        }
    }
    if (bestCrossing > std::max<qsizetype>(1, lines.size() / 4))
        return std::nullopt;
    int leftCount = 0, rightCount = 0;
    bool besideEachOther = false;
    for (const Line &a : lines) {
        if (a.box.right() <= bestX)
            ++leftCount;
        else if (a.box.left() >= bestX)
            ++rightCount;
        else
            continue;
        if (besideEachOther || a.box.right() > bestX)
            continue;
        for (const Line &b : lines)
            if (b.box.left() >= bestX && b.box.top() < a.box.bottom() && b.box.bottom() > a.box.top()) {
                besideEachOther = true;
                break;
            }
    }
    if (leftCount < 2 || rightCount < 2 || !besideEachOther)
        return std::nullopt;
    return bestX;
}

// A page of two columns is read column by column: a vertical gap near the middle that
// (almost) no line crosses, with lines beside each other on both sides. Lines across
// the gap (a title over both columns) stay where they are, between the bands they part.
QList<Line> InReadingOrder(QList<Line> lines, const QSizeF &size)
{
    if (lines.size() < 4)
        return lines;
    Q_UNUSED(size);
    const std::optional<double> gap = ColumnGap(lines);
    if (!gap)
        return lines;
    const double bestX = *gap;

    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &a, const Line &b) { return a.box.top() < b.box.top(); });
    QList<Line> ordered, leftBand, rightBand;
    auto flush = [&] {
        for (qsizetype i = 0; i < leftBand.size(); ++i) {
            leftBand[i].column = 1;
            leftBand[i].startsBlock = i == 0;
        }
        for (qsizetype i = 0; i < rightBand.size(); ++i) {
            rightBand[i].column = 2;
            rightBand[i].startsBlock = i == 0;
        }
        ordered += leftBand;
        ordered += rightBand;
        leftBand.clear();
        rightBand.clear();
    };
    for (const Line &line : lines) {
        if (line.box.right() <= bestX) {
            leftBand.append(line);
        } else if (line.box.left() >= bestX) {
            rightBand.append(line);
        } else {
            flush();
            ordered.append(line);
        }
    }
    flush();
    return ordered;
}

bool BreaksParagraph(const Line &previous, const Line &line, double columnRight, double columnWidth)
{
    const double h = std::min(previous.height, line.height);
    if (line.height > 1.2 * previous.height || previous.height > 1.2 * line.height)
        return true; // a heading is a paragraph of its own
    if (line.startsBlock || line.column != previous.column || line.box.top() < previous.box.top())
        return EndsSentence(previous.text);
    if (line.box.top() - previous.box.bottom() > 0.6 * h)
        return true;
    const bool shortLine = previous.box.right() < columnRight - 0.25 * columnWidth;
    return shortLine && EndsSentence(previous.text);
}

} // namespace

QString JoinLines(const QString &before, const QString &after)
{
    QString head = before;
    while (!head.isEmpty() && head.back().isSpace())
        head.chop(1);
    qsizetype start = 0;
    while (start < after.size() && after.at(start).isSpace())
        ++start;
    const QString tail = after.mid(start);
    if (head.isEmpty())
        return tail;
    if (tail.isEmpty())
        return head;
    if (head.back() == kSoftHyphen) {
        head.chop(1);
        return head + tail;
    }
    const bool brokenWord = head.size() >= 2 && (head.back() == QLatin1Char('-') || head.back() == QChar(0x2010))
        && head.at(head.size() - 2).isLetter() && tail.front().isLower();
    if (brokenWord) {
        head.chop(1);
        return head + tail;
    }
    return head + QLatin1Char(' ') + tail;
}

QString JoinParagraphs(const QStringList &paragraphs)
{
    QString text;
    for (const QString &paragraph : paragraphs) {
        QString clean;
        clean.reserve(paragraph.size());
        for (const QChar c : paragraph) {
            if (c == kSoftHyphen || c == QChar(0xFEFF) || c == QChar(0x200B))
                continue;
            if (c.category() == QChar::Other_Control || c.isSpace())
                clean += QLatin1Char(' ');
            else if (c.unicode() >= 0xFB00 && c.unicode() <= 0xFB06)
                clean += QString(c).normalized(QString::NormalizationForm_KC); // "ﬁ" is read as "fi"
            else
                clean += c;
        }
        clean = clean.simplified();
        if (clean.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QLatin1String("\n\n");
        text += clean;
    }
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    return text;
}

namespace {

// The paragraphs of laid-out pages, the first of a document of pageCount pages.
QStringList ParagraphsOf(const QList<Page> &pages, qsizetype pageCount)
{
    QList<QList<Line>> pageLines;
    for (const Page &page : pages)
        pageLines.append(LinesOf(page));
    DropRunningLines(pageLines, pages, pageCount);

    QStringList paragraphs;
    QString paragraph;
    bool havePrevious = false;
    Line previous;
    for (qsizetype p = 0; p < pageLines.size(); ++p) {
        QList<Line> lines = InReadingOrder(pageLines[p], pages[p].size);
        if (!lines.isEmpty())
            lines.first().startsBlock = true;
        // The right edge and width of each column, for telling a paragraph's short last line.
        double rightOf[3] = {0, 0, 0}, leftOf[3] = {1e9, 1e9, 1e9};
        for (const Line &line : lines) {
            rightOf[line.column] = std::max(rightOf[line.column], line.box.right());
            leftOf[line.column] = std::min(leftOf[line.column], line.box.left());
        }
        for (const Line &line : lines) {
            const double width = std::max(0.0, rightOf[line.column] - leftOf[line.column]);
            if (havePrevious && BreaksParagraph(previous, line, rightOf[line.column], width)) {
                paragraphs.append(paragraph);
                paragraph.clear();
            }
            paragraph = JoinLines(paragraph, line.text);
            previous = line;
            havePrevious = true;
        }
    }
    paragraphs.append(paragraph);
    return paragraphs;
}

} // namespace

QString PagesToText(const QList<Page> &pages)
{
    return JoinParagraphs(ParagraphsOf(pages, pages.size()));
}

QString SettledText(const QList<Page> &firstPages, qsizetype pageCount)
{
    if (firstPages.size() >= pageCount)
        return PagesToText(firstPages);
    QStringList paragraphs = ParagraphsOf(firstPages, pageCount);
    // The next page may go on with the last paragraphs unless they end a sentence; a page
    // number may stand between, and go once it is known to run.
    while (!paragraphs.isEmpty() && !EndsSentence(paragraphs.last().trimmed()))
        paragraphs.removeLast();
    return JoinParagraphs(paragraphs);
}

} // namespace TextCleanup
