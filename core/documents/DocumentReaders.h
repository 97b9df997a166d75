#pragma once

#include "core/documents/DocumentConversion.h"

#include <QByteArray>
#include <QStringList>

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
};

ReaderOutcome ReadPdfText(const QString &fileName, const ConversionControl &control);
// An office document or an e-book: told apart by what the container holds.
ReaderOutcome ReadPackageText(const QString &fileName, const ConversionControl &control);
// A rich-text file or a web page, through pandoc; format is pandoc's name of it.
ReaderOutcome ReadThroughPandoc(const QString &fileName, const char *format, const ConversionControl &control);
