#pragma once

#include <QString>

// How a document's bytes were written, so that it is saved the same way.
struct DocumentFormat
{
    bool utf8 = true;
    bool byteOrderMark = false;
    bool crlf = false;
    // UTF-8 holding bytes that are not: they are written back as they came.
    bool strayBytes = false;
};

struct LoadedDocument
{
    bool ok = false;
    QString text;           // line breaks are "\n"
    DocumentFormat format;
    QString error;          // the platform's message when !ok
    qsizetype strayBytes = 0;   // bytes kept as they were in a UTF-8 document
    bool binary = false;        // NUL bytes or control codes: a program or data, not text
};

struct SaveOutcome
{
    bool ok = false;
    QString error;
    // The document came as Windows-1252 but holds characters it lacks: saved as UTF-8.
    bool switchedToUtf8 = false;
};

// Reads a whole document: UTF-8 when its bytes are valid UTF-8 or nearly so (the
// stray bytes kept), else Windows-1252. Every byte comes back on a save.
LoadedDocument LoadDocument(const QString &fileName);
// Writes the whole document atomically: on failure the old file stays whole.
SaveOutcome SaveDocument(const QString &fileName, const QString &text, DocumentFormat &format);
