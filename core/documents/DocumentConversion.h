#pragma once

#include <QString>

#include <functional>

// The documents that are opened as their text: a PDF, an office document, an e-book,
// a rich-text file or a web page. The kind is told by the file's first bytes; the
// extension only decides for a web page, which has no mark of its own.
enum class DocumentKind { PlainText, Pdf, Zip, Rtf, Html, Mislabeled };

DocumentKind KindOfDocument(const QString &fileName);

// How a long conversion reports and is stopped: progress gets the parts done and the
// parts in all; cancelled is asked between parts. Both are called on the converting thread.
struct ConversionControl
{
    std::function<void(int done, int total)> progress;
    std::function<bool()> cancelled;
};

struct ConvertedDocument
{
    bool ok = false;
    bool cancelled = false;
    QString text;     // paragraphs one line each, an empty line between, "\n" breaks
    QString origin;   // what the title names: "fitxa.pdf, 3 pàgines"
    QString error;    // names the file and the reason
    int pages = 0;
};

// Reads a document of a kind other than plain text into clean text.
ConvertedDocument ConvertDocument(const QString &fileName, const ConversionControl &control = {});

// The name a converted document is saved under unless the user says otherwise:
// the original's, with ".txt" (fitxa.pdf -> fitxa.txt), in the same folder.
QString SuggestedTextName(const QString &fileName);

// The same text the window shows for a document of any kind; plain text as it is read.
// Used by the command line, whose verbs accept every kind of document.
QString ReadAnyDocumentText(const QString &fileName, QString *error);
