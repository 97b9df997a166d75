#pragma once

#include <QString>

class QPlainTextEdit;

// Grows the editor's document from the text it was shown to the grown text of the same
// pages, as later pages come in: the reader's caret and selection stay on their words, a
// change the reader made meanwhile stays (a part of the pages' text it touched is left
// as the reader made it) and can still be undone, and the growth is no undo step.
void GrowDocument(QPlainTextEdit *edit, const QString &shown, const QString &grown);
