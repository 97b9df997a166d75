#pragma once

#include "app/export/ExportWindow.h"
#include "book/BookExporter.h"

#include <QObject>

#include <functional>

// The document saved from the window as a read-along book or an audiobook: the two
// items of the options menu, the chapter the status line shows, the stop button and F11
// that end it, and what is told when it ends. It holds the activity gate as the sound
// file export does, so that nothing else starts meanwhile.
class BookExportController : public QObject
{
    Q_OBJECT
public:
    struct Parts : ExportWindowParts
    {
        BookExporter &exporter;
    };
    explicit BookExportController(const Parts &parts);

    void Start(BookFormat format);
    // The languages and voices of a book made with that request's voice, where the voice
    // follows the language; none by default.
    void SetLanguages(std::function<BookLanguages(const ExportRequest &request)> languages)
    {
        m_languages = std::move(languages);
    }

private:
    void StartNow(BookFormat format);
    void BusyChanged(bool busy);
    // The items follow the name field as the sound file items do; while a book is made
    // the name field and the other exports wait.
    void UpdateControls();
    void Finished(const ExportResult &result);

    Parts m_parts;
    StopKeyWatcher m_stopKey;
    std::function<BookLanguages(const ExportRequest &request)> m_languages;
};
