#pragma once

#include "book/BookChapters.h"

#include <QList>
#include <QString>

// An EPUB 3 read-along book put together in a folder of its own, a chapter at a time,
// then packed: a page per chapter with every sentence in an element of its own, the
// chapter's recording, and the overlay that pairs each sentence with its stretch of
// the recording, so that a reader lights up the sentence it plays.
class EpubBook
{
public:
    // folder: an empty folder the book's parts are written into until it is packed.
    // language: a language tag ("ca", "es-ES"); narrator: the voice's name.
    EpubBook(const QString &folder, const QString &title, const QString &language, const QString &narrator);

    // Where the recording of the chapter numbered `number` (from 1) goes, before AddChapter.
    QString AudioPath(int number) const;
    // Whether each word of a sentence has an element of its own too: where the voice
    // reports its words, so that a reader may go to one.
    enum class Marking { Sentences, SentencesAndWords };
    // Writes the page and the overlay of the next chapter, whose recording is at
    // AudioPath and lasts soundMs; false with the reason when they cannot be written.
    bool AddChapter(const BookChapter &chapter, const QList<BookSentence> &sentences, qint64 soundMs,
                    QString *error, Marking marking = Marking::Sentences);
    int Chapters() const { return int(m_chapters.size()); }
    // Writes the package, the navigation and the container and packs them with every
    // chapter into epubPath: the file appears whole or not at all, and an older file of
    // that name stays until then.
    bool Pack(const QString &epubPath, QString *error) const;

private:
    struct Written
    {
        QString title;
        qint64 soundMs = 0;
    };
    bool WriteNavigation(QString *error) const;
    bool WritePackage(QString *error) const;

    QString m_folder;
    QString m_title;
    QString m_language;
    QString m_narrator;
    QList<Written> m_chapters;
};

// Text as XML may hold it: characters XML forbids (most control characters, lone
// surrogates, U+FFFE and U+FFFF) and those HTML forbids in a page (the C1 controls and
// the other non-characters) are left out.
QString XmlSafeText(const QString &text);

// A SMIL clock value: "h:mm:ss.fff".
QString ClockValue(qint64 ms);
