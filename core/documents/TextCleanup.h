#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// How the text of a converted document is made ready for a listener: paragraphs one
// line each with an empty line between them, words broken at a line end joined again,
// soft hyphens dropped; for a laid-out page, running headers, footers and page
// numbers left out and two columns read one after the other. Nothing here reads a
// file: the converters hand in what they found.
namespace TextCleanup {

// A word as a page shows it, in the page's points, y growing downwards.
struct Word
{
    QString text;
    QRectF box;
    bool whole = false; // a whole word, as a recogniser gives it: never glued to the one before
};

struct Page
{
    QSizeF size;
    QList<Word> words; // in the order the page's text gives them
};

// The paragraphs joined into a document: inner line breaks and runs of blanks become
// one blank, soft hyphens go, empty paragraphs are dropped, one empty line between.
QString JoinParagraphs(const QStringList &paragraphs);

// The text of one line followed by the next line of the same paragraph: a word
// hyphenated at the line end is joined ("contin-" + "uació" -> "continuació").
QString JoinLines(const QString &before, const QString &after);

// The whole text of laid-out pages.
QString PagesToText(const QList<Page> &pages);

// The text of the first pages of a document of pageCount pages, as the window shows it
// while the rest are read: a header or footer line stays until enough pages show it
// running, and a last paragraph the next page may go on with waits for it. With more
// pages it grows at its end, save for such lines going; with every page in, it is
// PagesToText.
QString SettledText(const QList<Page> &firstPages, qsizetype pageCount);

} // namespace TextCleanup
