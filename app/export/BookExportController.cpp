#include "app/export/BookExportController.h"

#include "app/typing/ActivityGate.h"
#include "app/reading/ReadingTriggers.h"
#include "app/window/MainWindow.h"
#include "app/window/StatusAnnouncer.h"
#include "core/WaitWithEvents.h"
#include "export/AudioExportProtocol.h"
#include "book/BookTexts.h"
#include "platform/ScreenReaderStatus.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeechController.h"
#include "windows/FormLlenguatge.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

BookExportController::BookExportController(const Parts &parts)
    : m_parts(parts), m_stopKey([this] { m_parts.exporter.Stop(); }, this)
{
    FormPrincipal &main = m_parts.main;
    BookExporter &exporter = m_parts.exporter;
    exporter.Recorder().SetStopReading([this] { m_parts.triggers.ButtonPararClick(); });
    exporter.SetDictionary([this](const QString &text) { return m_parts.dictionary.ApplyExceptionsDictionary(text); });
    main.SetCommandHandler(WindowCommandId::kSaveEpub, [this] { Start(BookFormat::Epub); });
    main.SetCommandHandler(WindowCommandId::kSaveM4b, [this] { Start(BookFormat::M4b); });
    const MainToolBar &tools = main.ToolBar();
    connect(tools.nomFitxer, &QLineEdit::textChanged, this, &BookExportController::UpdateControls);
    connect(&exporter, &BookExporter::busyChanged, &m_parts.gate, &ActivityGate::SetExporting);
    connect(&exporter, &BookExporter::busyChanged, this, &BookExportController::BusyChanged);
    connect(tools.parar, &QToolButton::clicked, &exporter, &BookExporter::Stop);
    connect(&exporter, &BookExporter::statusText, this, [this](const QString &text) {
        // Each chapter is told once: a screen reader hears how far the book has come.
        AnnounceStatus(&m_parts.main, text);
    });
    connect(&exporter, &BookExporter::finished, this, &BookExportController::Finished);
    // After the sound file export's own handler, which enables the controls it knows.
    connect(&m_parts.gate, &ActivityGate::changed, this, &BookExportController::UpdateControls);
    UpdateControls();
}

void BookExportController::Start(BookFormat format)
{
    StartExportThroughGate(m_parts, [this, format] { StartNow(format); });
}

void BookExportController::StartNow(BookFormat format)
{
    BookRequest request;
    request.format = format;
    request.audio.text = m_parts.main.Document().Text();
    request.audio.name = m_parts.main.ToolBar().nomFitxer->text();
    request.audio.voice = m_parts.speech.SelectedVoice();
    request.audio.voiceName = m_parts.speech.SelectedVoiceName();
    request.audio.rate = m_parts.speech.RatePosition();
    request.audio.language = m_parts.languages.LanguageIndex();
    const DocumentCommands &documents = m_parts.main.Documents();
    const QString source =
        documents.CurrentFileName().isEmpty() ? documents.SuggestedName() : documents.CurrentFileName();
    request.fallbackTitle = source.isEmpty() ? SoundFileNameOf(request.audio.name) : QFileInfo(source).completeBaseName();
    if (m_languages)
        request.languages = m_languages(request.audio);
    m_parts.exporter.Start(request);
}

void BookExportController::BusyChanged(bool busy)
{
    m_stopKey.SetBusy(busy);
    UpdateControls();
}

void BookExportController::UpdateControls()
{
    FormPrincipal &main = m_parts.main;
    const MainToolBar &tools = main.ToolBar();
    const bool exporting = m_parts.gate.Exporting();
    const ExportControls controls = ExportControlsFor(tools.nomFitxer->text(), exporting);
    main.ActionFor(WindowCommandId::kSaveEpub)->setEnabled(controls.mp3Button);
    main.ActionFor(WindowCommandId::kSaveM4b)->setEnabled(controls.mp3Button);
    if (m_parts.exporter.Busy()) {
        tools.wav->setEnabled(false);
        tools.mp3->setEnabled(false);
        tools.nomFitxer->setEnabled(false);
        for (const char *id : {WindowCommandId::kSaveWav, WindowCommandId::kSaveMp3, WindowCommandId::kSaveOpus})
            main.ActionFor(id)->setEnabled(false);
    }
}

void BookExportController::Finished(const ExportResult &result)
{
    if (AppClosing())
        return;
    const int language = m_parts.languages.LanguageIndex();
    const QString told = result.ok        ? BookTexts::Of(BookTexts::Text::Saved, language).arg(result.file)
                         : result.stopped ? BookTexts::Of(BookTexts::Text::Stopped, language)
                                          : BookTexts::Of(BookTexts::Text::NoBook, language);
    TellExportEnd(m_parts, result, told,
                  result.ok ? BookTexts::Of(BookTexts::Text::Saved, language).arg(QFileInfo(result.file).fileName())
                            : told);
}
