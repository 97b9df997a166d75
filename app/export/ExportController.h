#pragma once

#include "app/export/ExportWindow.h"
#include "export/AudioExporter.h"

#include <QElapsedTimer>
#include <QObject>

// The document saved as spoken audio from the window: the request in the voice and at
// the rate in use, the controls that wait while an export runs, and what is told and
// said when it ends. It connects the toolbar buttons, the menu items and the name field,
// shows the export's progress, and lets F11 and the stop button end it.
class ExportController : public QObject
{
    Q_OBJECT
public:
    struct Parts : ExportWindowParts
    {
        AudioExporter &exporter;
    };
    explicit ExportController(const Parts &parts);

    // The export of the document as it stands, once the activity gate lets it start
    // (a word-by-word reading stops first).
    void Start(ExportFormat format);
    // The stretches of the text recorded each in its own voice, when the voice follows
    // the language; none by default.
    void SetLanguageRuns(std::function<QList<ExportRun>(const ExportRequest &request)> runs)
    {
        m_languageRuns = std::move(runs);
    }

private:
    void StartNow(ExportFormat format);
    void BusyChanged(bool busy);
    // In the status line always; to a screen reader at the start and then at most every
    // few seconds, so that it is not read out at every step.
    void ShowProgress(int percent);
    // The name field follows the open document: its base name, or the start name for a
    // new one.
    void FollowDocument();
    // The WAV and MP3 buttons, the menu items of the three formats and the name field,
    // by the name typed and whether an export runs.
    void UpdateExportControls(bool exporting);
    // While an export runs the options menu and the font dialog wait for it, as the
    // reading and export buttons do.
    void UpdateBusyControls();
    void Finished(const ExportResult &result);

    Parts m_parts;
    StopKeyWatcher m_stopKey;
    QElapsedTimer m_lastAnnounced;
    QString m_documentSource;
    std::function<QList<ExportRun>(const ExportRequest &request)> m_languageRuns;
};
