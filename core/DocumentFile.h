#pragma once

#include <QString>

// How a document's bytes were written, so that it is saved the same way.
struct DocumentFormat
{
    bool utf8 = true;
    bool byteOrderMark = false;
    bool crlf = false;
};

struct LoadedDocument
{
    bool ok = false;
    QString text;           // line breaks are "\n"
    DocumentFormat format;
    QString error;          // the platform's message when !ok
};

struct SaveOutcome
{
    bool ok = false;
    QString error;
    // The document came as Windows-1252 but holds characters it lacks: saved as UTF-8.
    bool switchedToUtf8 = false;
};

// Reads a whole document: UTF-8 when its bytes are valid UTF-8, else Windows-1252.
LoadedDocument LoadDocument(const QString &fileName);
// Writes the whole document atomically: on failure the old file stays whole.
SaveOutcome SaveDocument(const QString &fileName, const QString &text, DocumentFormat &format);
