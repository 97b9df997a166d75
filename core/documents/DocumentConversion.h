#pragma once

#include "core/documents/ConversionControl.h"

#include <QList>
#include <QString>

class QImage;

// The documents that are opened as their text: a PDF, an office document, an e-book,
// a rich-text file, a web page or a picture of a page. The kind is told by the file's first bytes; the
// extension only decides for a web page, which has no mark of its own.
enum class DocumentKind { PlainText, Pdf, Zip, Rtf, Html, Picture, Mislabeled };

DocumentKind KindOfDocument(const QString &fileName);

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
    bool picture = false;    // a picture rather than a document of pages
    int recognisedPages = 0; // pages (or pictures) whose text the recogniser read
    int confidence = -1;     // its mean confidence over them, 0..100; -1 when none
    QList<int> unsurePages;  // pages (from 1) recognised with under 60 % confidence
    QString notice;          // what was read only in part, and why
};

// The error of a conversion in an interface language (an index of the language list;
// Catalan outside it): the file's name and the reason.
QString ConversionErrorText(const QString &fileName, DocumentProblem problem, const QString &detail, int language);
// "fitxa.pdf, 3 pàgines" in an interface language.
QString OriginText(const QString &fileName, int pages, int language);
// The same for a converted document, with its recognised pages: "fitxa.pdf, 3 pàgines, 2 reconegudes".
QString OriginText(const QString &fileName, const ConvertedDocument &document, int language);

// Reads a document of a kind other than plain text into clean text.
ConvertedDocument ConvertDocument(const QString &fileName, const ConversionControl &control = {});

// The text of a picture in memory (one copied to the clipboard); the error names no file.
ConvertedDocument RecognisePicture(const QImage &image, const ConversionControl &control = {});

// The name a converted document is saved under unless the user says otherwise:
// the original's, with ".txt" (fitxa.pdf -> fitxa.txt), in the same folder.
QString SuggestedTextName(const QString &fileName);

// The same text the window shows for a document of any kind; plain text as it is read.
// Used by the command line, whose verbs accept every kind of document; `recognisers`
// as in ConversionControl.
QString ReadAnyDocumentText(const QString &fileName, QString *error, const QByteArray &password = QByteArray(),
                            const QString &recognisers = {});
