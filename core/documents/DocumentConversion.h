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
    // What opens a document locked by a password; empty when none was given.
    QByteArray password;
};

// Why a document gave no text, so that the reason is said in the reader's language.
enum class DocumentProblem {
    None,
    Unreadable,      // damaged, incomplete, too large: detail says how, in the reader's words
    Password,        // locked, and no password was given
    WrongPassword,   // locked, and the password given does not open it
    Drm,             // an e-book locked by its seller
    NotADocument,    // a ZIP archive of another kind
    ReaderMissing,   // detail names the program to install
    Mislabeled,      // detail is the kind its name claims
    PlainText,
    NoText,
    Scanned,         // a PDF without text: pictures of pages
};

struct ConvertedDocument
{
    bool ok = false;
    bool cancelled = false;
    QString text;     // paragraphs one line each, an empty line between, "\n" breaks
    QString origin;   // what the title names: "fitxa.pdf, 3 pàgines"
    QString error;    // names the file and the reason, in English
    int pages = 0;
    DocumentProblem problem = DocumentProblem::None;
    QString detail;   // what the reader said beyond the problem, for Unreadable
};

// The error of a conversion in an interface language (an index of the language list;
// Catalan outside it): the file's name and the reason.
QString ConversionErrorText(const QString &fileName, DocumentProblem problem, const QString &detail, int language);
// "fitxa.pdf, 3 pàgines" in an interface language.
QString OriginText(const QString &fileName, int pages, int language);

// Reads a document of a kind other than plain text into clean text.
ConvertedDocument ConvertDocument(const QString &fileName, const ConversionControl &control = {});

// The name a converted document is saved under unless the user says otherwise:
// the original's, with ".txt" (fitxa.pdf -> fitxa.txt), in the same folder.
QString SuggestedTextName(const QString &fileName);

// The same text the window shows for a document of any kind; plain text as it is read.
// Used by the command line, whose verbs accept every kind of document.
QString ReadAnyDocumentText(const QString &fileName, QString *error, const QByteArray &password = QByteArray());
