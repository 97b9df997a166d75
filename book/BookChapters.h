#pragma once

#include "spell/LanguageDetector.h"

#include "export/AudioExportProtocol.h"

#include <QList>
#include <QString>

// A document as a book: its paragraphs grouped in chapters at its headings, and the
// sentences of each chapter timed in the chapter's recording.

struct BookParagraph
{
    QString text;  // one line, without its line break
    bool heading = false;
    QString language;  // its language tag, where the book follows the language; empty: the book's
};

struct BookChapter
{
    QString title;  // for the table of contents and the audiobook's chapter list
    QList<BookParagraph> paragraphs;
};

// The longest title a table of contents or a chapter list shows; the heading itself
// stays whole in the text.
inline constexpr qsizetype kLongestChapterTitle = 120;
// A document without headings is divided every this many paragraphs.
inline constexpr int kParagraphsPerPart = 20;

// Whether a paragraph (one line of the text) is a heading: a line starting with
// "Capítol", "Capítulo", "Chapter", "Tema" or "Unitat" and a number, or, when it stands
// between blank lines, a short line (under 80 characters) with a letter in it that does
// not end as a sentence ends.
bool IsHeadingLine(const QString &line, bool blankBefore, bool blankAfter);

// The paragraphs of text ("\n" breaks; a paragraph per non-blank line), a chapter from
// each heading on. What comes before the first heading is a chapter of its own, titled
// `title`; without headings the text is divided every kParagraphsPerPart paragraphs,
// each part titled by its first words.
QList<BookChapter> ChaptersOf(const QString &text, const QString &title);

// The book's title: its first heading, else `fallback` (the file's name).
QString BookTitleOf(const QList<BookChapter> &chapters, const QString &fallback);

// What the voice is given for a chapter: its paragraphs, a blank line between them.
QString ChapterText(const BookChapter &chapter);
// Each paragraph given the language of the stretch its first letter is in, the stretches
// being places in ChapterText(chapter); "und" and empty stretches give none.
void SetParagraphLanguages(BookChapter &chapter, const QList<LanguageRun> &languages);

// A sentence of a chapter: characters [start, end) of one paragraph, heard from beginMs
// until endMs in the chapter's recording.
struct BookSentence
{
    int paragraph = 0;
    qsizetype start = 0;
    qsizetype end = 0;
    qint64 beginMs = 0;
    qint64 endMs = 0;
};

// The sentences of a chapter, timed by the marks of its recording (times), whose text
// was `spoken` (the chapter text after the exceptions dictionary). A sentence begins
// when its first word is heard; with a voice that reports no words, when the voice
// says its sentence begins; failing both, at its share of the sound by characters.
// The times never fall (a sentence may last no time at all), the first sentence begins
// at 0 and the last ends at soundMs.
QList<BookSentence> TimeChapterSentences(const BookChapter &chapter, const QString &spoken, const WordTimes &times,
                                         qint64 soundMs);
