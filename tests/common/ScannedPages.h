#pragma once

// Pages as a scanner or a camera gives them, drawn by the test at 300 dpi: text in a
// common font, optionally skewed, speckled, in two columns or turned on its side.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace Scans {

struct Look
{
    double skewDegrees = 0;
    bool speckled = false;
    int columns = 1;
    int turnDegrees = 0; // 90, 180, 270: the page as it lies on the scanner
};

// Text of 10 points at 300 dpi (42 pixels), lines 70 pixels apart; with two columns
// the lines are dealt half to each, the left column read first.
inline QImage Page(const QStringList &lines, const Look &look = {})
{
    const int perColumn = int((lines.size() + look.columns - 1) / look.columns);
    const int columnWidth = 1250;
    QImage page(120 + columnWidth * look.columns, 200 + 70 * perColumn, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(page.width() / 2.0, page.height() / 2.0);
    painter.rotate(look.skewDegrees);
    painter.translate(-page.width() / 2.0, -page.height() / 2.0);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(42);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(60 + columnWidth * double(i / perColumn), 120 + 70 * double(i % perColumn)), lines[i]);
    painter.end();
    if (look.speckled) {
        QRandomGenerator random(7);
        for (int n = page.width() * page.height() / 200; n > 0; --n)
            page.setPixel(random.bounded(page.width()), random.bounded(page.height()), qRgb(90, 90, 90));
    }
    if (look.turnDegrees != 0)
        page = page.transformed(QTransform().rotate(look.turnDegrees));
    return page;
}

// A PDF whose pages are pictures only, 300 dpi pictures on pages of their size.
inline bool WriteScannedPdf(const QString &path, const std::vector<QImage> &pages)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (size_t p = 0; p < pages.size(); ++p) {
        const QPageSize size(QSizeF(pages[p].width() / 300.0, pages[p].height() / 300.0), QPageSize::Inch);
        writer.setPageSize(size);
        if (p == 0 ? !painter.begin(&writer) : !writer.newPage())
            return false;
        painter.drawImage(QPointF(0, 0), pages[p]);
    }
    return painter.end();
}

inline QStringList Words(const QString &text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// Words wrong, missing or extra for each word expected: the edit distance over words.
inline double WordErrorRate(const QString &expected, const QString &got)
{
    const QStringList a = Words(expected), b = Words(got);
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return a.isEmpty() ? double(b.size()) : double(row.back()) / double(a.size());
}

} // namespace Scans
