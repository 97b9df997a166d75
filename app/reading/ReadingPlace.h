#pragma once

#include <QPointer>
#include <QString>

class QPlainTextEdit;

// Where a reading goes in the editor's document: the start of the word under a place,
// the sentences around it, the text of a stretch, and the caret. Each lookup sees only
// a stretch of text around the place, so it costs the same however long the document is.
class ReadingPlace
{
public:
    explicit ReadingPlace(QPlainTextEdit *edit);

    bool HasEditor() const { return !m_edit.isNull(); }
    int DocumentLength() const;
    int Caret() const;
    // Puts the caret there, with no selection, scrolled into view.
    void PlaceCaret(int position) const;
    // The text from..to, with the editor's separators as line breaks.
    QString Range(int from, int to) const;
    bool BlankAt(int position) const;
    // The first place from `from` (at most `to`) that is not a blank.
    int SkipBlanks(int from, int to) const;
    int WordStartAt(int position) const;
    // A place inside a word moved back to the word's start.
    int WordBoundary(int position) const;
    // Sentence lookups; where the stretch looked through holds no sentence end, at word
    // boundaries.
    int SentenceStart(int position) const;
    int NextSentenceStart(int position) const;
    int SentenceEnd(int position) const;

private:
    QPointer<QPlainTextEdit> m_edit;
};
