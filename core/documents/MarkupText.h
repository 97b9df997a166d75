#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the markup readers (the office documents, the e-books and web pages) find, in
// the shape a listener needs: paragraphs, a table row on one line with its cells
// parted by " · ", notes gathered to follow the text under their number.
class TextCollector
{
public:
    void Text(const QString &text);
    // The end or start of a block: what came before is a paragraph of its own.
    void Break();

    void StartRow();
    void EndRow();
    void StartCell();
    void EndCell();

    // Text between these goes into a note, not into the running text.
    void StartNote();
    void EndNote(const QString &number);
    bool InNote() const { return !m_notes.isEmpty(); }

    // Every paragraph, the notes after the text, each "N. text".
    QStringList Paragraphs() const;

private:
    struct Row
    {
        QStringList cells;
        QString cell;
        bool inCell = false;
    };
    QString &Current();

    QStringList m_paragraphs;
    QString m_current;
    QList<Row> m_rows;         // nested tables: the innermost row is last
    QList<QString> m_notes;    // the notes being read, innermost last
    QStringList m_finishedNotes;
};

struct MarkupOutcome
{
    bool ok = false;
    QString error;
};

// Reads one XHTML page (an e-book chapter or a converted web page) into the collector:
// scripts, styles and the head left out, pictures given by their alternative text in
// brackets, numbered lists numbered, footnotes and endnotes gathered as notes.
MarkupOutcome ReadXhtml(const QByteArray &xhtml, TextCollector &collector);

// The named entities of HTML that XML does not know written as numbers, so that an
// XML reader takes a page that uses them.
QByteArray NumberHtmlEntities(const QByteArray &markup);
