#pragma once

#include "export/AudioExporter.h"
#include "book/Audiobook.h"
#include "export/ExportJob.h"

#include <QObject>

#include <functional>

class BookEncoders;
class EpubBook;
struct BookChapter;

enum class BookFormat { Epub, M4b };

// With the voice following the language: a text's stretches of each language, and the
// voices that record them (as a sound file's runs). Unset: one voice and one language.
struct BookLanguages
{
    std::function<QList<LanguageRun>(const QString &text)> languagesOf;
    std::function<QList<ExportRun>(const QList<LanguageRun> &languages)> runsOf;
};

struct BookRequest
{
    // The text, the file's base name, the voice, the rate and the interface language,
    // as for a sound file; its format and subtitles are the book's own business.
    ExportRequest audio;
    BookFormat format = BookFormat::Epub;
    QString fallbackTitle;  // the document's file name, for a book without headings
    BookLanguages languages;
};

// The language tag of what a voice speaks ("ca", "es", "en-gb"); "und" when unknown.
QString LanguageTagOfVoice(const ExportVoice &voice);

// Saves the document as a read-along book (EPUB 3 with an overlay per chapter) or as an
// audiobook with chapters (M4B) in the records folder. Each chapter is recorded as a
// sound file is, one at a time, and encoded in the background while the next ones are
// recorded; the book is put together at the end. Whatever ends it early leaves no book
// behind and an older one of that name as it was.
class BookExporter : public ExportJob
{
    Q_OBJECT
public:
    BookExporter(const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                 QObject *parent = nullptr);

    // What records each chapter: its dictionary, timings and encoder search path are set there.
    AudioExporter &Recorder() { return m_recorder; }
    void SetDictionary(std::function<QString(const QString &)> apply);
    // Where ffmpeg is searched after the program's folder; PATH by default.
    void SetProgramSearchPath(const QStringList &folders) { m_searchPath = folders; }

    void Stop();
    // Starts from the event loop and returns at once; false while one is running.
    bool Start(const BookRequest &request);
    // Runs to the end, handling events while it waits; also emits finished.
    ExportResult Export(const BookRequest &request);

private:
    ExportResult Run(const BookRequest &request);
    // Why the request cannot make a book, before anything is recorded; empty when it can.
    QString Refusal(const BookRequest &request, const QList<BookChapter> &chapters, QString *encoder) const;
    // Records every chapter and hands each to the encoders; why not when it fails.
    QString RecordChapters(const BookRequest &request, const QList<BookChapter> &chapters, const QString &encoder,
                           EpubBook &book, const QString &partsFolder, QList<Audiobook::Chapter> &recorded,
                           ExportResult &result);
    // Records chapter `number` of `count` into the records folder as WAV; the result's
    // file and word times are the recording's.
    ExportResult RecordChapter(const BookRequest &request, const QString &text, const QList<ExportRun> &runs,
                               int number, int count);
    // Writes a recorded chapter's page and overlay into the book; why not when it cannot.
    QString AddToBook(EpubBook &book, const BookChapter &chapter, const QString &text, const ExportResult &recorded,
                      int language) const;
    // Joins the chapters' encoded files into the audiobook at outPath, whole or not at all.
    bool PackAudiobook(const QList<Audiobook::Chapter> &chapters, const QString &title, const QString &narrator,
                       const QString &ffmpeg, const QString &partsFolder, const QString &outPath, int language,
                       QString *problem);
    // Runs FFmpeg with its arguments (the program first).
    bool RunFfmpeg(const QStringList &arguments, qint64 soundMs, int language, QString *error);

    AppPaths m_paths;
    DesktopWindows &m_desktop;
    AudioExporter m_recorder;
    std::function<QString(const QString &)> m_dictionary;
    QStringList m_searchPath;
    BookEncoders *m_encoders = nullptr;  // while a book is made
    int m_chapterNumber = 0;
    int m_chapterCount = 1;
};
