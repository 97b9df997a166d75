#pragma once

#include "core/documents/ConversionControl.h"

#include <QByteArray>
#include <QStringList>

class QImage;

// The readers of each kind of document. Each fills paragraphs (or the text, for a
// PDF) and gives a reason without the file's name when it cannot.
struct ReaderOutcome
{
    bool ok = false;
    bool cancelled = false;
    QString text;
    QString error;
    int pages = 0;
    QString kindName; // "PDF", "DOCX", ...
    DocumentProblem problem = DocumentProblem::Unreadable; // when !ok
    bool picture = false;  // a picture, whose every word was recognised
    QString notice;        // what the reader should know of a text read in part
    QList<int> confidence; // each page's recognition confidence, -1 for a page read from its text
};

ReaderOutcome ReadPdfText(const QString &fileName, const ConversionControl &control);
// An office document or an e-book: told apart by what the container holds.
ReaderOutcome ReadPackageText(const QString &fileName, const ConversionControl &control);
// The interface language whose row the command line's English messages are.
inline constexpr int kEnglishLanguage = 5;

// A rich-text file, through AbiWord's reader, which keeps every letter, table and note.
// The text of an XHTML page a converting program wrote, into outcome (or its error).
void FillFromXhtml(const QByteArray &xhtml, ReaderOutcome &outcome);

ReaderOutcome ReadRtfText(const QString &fileName, const ConversionControl &control);
// A web page, through pandoc; format is pandoc's name of it.
// A picture (PNG, JPEG, every page of a TIFF, WebP, BMP, PNM), read by the recogniser.
ReaderOutcome ReadPictureText(const QString &fileName, const ConversionControl &control);
// A picture already in memory (a copied one), read by the recogniser.
ReaderOutcome ReadPictureImage(const QImage &image, const ConversionControl &control);
// Whether a file's first bytes are those of a picture the recogniser reads.
bool StartsAsPicture(const QByteArray &head);
// A rich-text file or a web page, through pandoc; format is pandoc's name of it.
ReaderOutcome ReadThroughPandoc(const QString &fileName, const char *format, const ConversionControl &control);
