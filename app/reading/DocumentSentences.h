#pragma once

class QTextDocument;

// Sentence lookups in the editor's document. Each sees only a stretch of text around
// the position, either way, so a lookup costs the same however long the document is.
namespace DocumentSentences
{
// The start of the sentence that holds the position.
int StartAt(const QTextDocument &document, int position);
// The start of the first sentence after the position; the document's end when none follows.
int NextStart(const QTextDocument &document, int position);
// Where the sentence that holds the position ends, before the blanks that follow it.
int EndAt(const QTextDocument &document, int position);
} // namespace DocumentSentences
