#pragma once

#include "export/AudioExporter.h"

#include <QObject>

class ActivityGate;
class FormDiccionariExcepcions;
class FormLlenguatge;
class FormPrincipal;
class ReadingTriggers;
class SpeechController;

// The document saved as spoken audio from the window: the request in the voice and at
// the rate in use, the controls that wait while an export runs, and what is told and
// said when it ends. It connects the toolbar buttons, the menu items and the name field.
class ExportController : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        FormPrincipal &main;
        ActivityGate &gate;
        SpeechController &speech;
        ReadingTriggers &triggers;
        FormDiccionariExcepcions &dictionary;
        FormLlenguatge &languages;
        AudioExporter &exporter;
    };
    explicit ExportController(const Parts &parts);

    // The export of the document as it stands, once the activity gate lets it start
    // (a word-by-word reading stops first).
    void Start(ExportFormat format);

private:
    void StartNow(ExportFormat format);
    // The WAV and MP3 buttons, the menu items of the three formats and the name field,
    // by the name typed and whether an export runs.
    void UpdateExportControls(bool exporting);
    // While an export runs the options menu and the font dialog wait for it, as the
    // reading and export buttons do.
    void UpdateBusyControls();
    void Finished(const ExportResult &result);

    Parts m_parts;
};
