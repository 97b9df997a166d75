#include "app/export/ExportController.h"

#include "app/export/ExportEndTexts.h"
#include "app/typing/ActivityGate.h"
#include "app/reading/ReadingTriggers.h"
#include "app/window/MainWindow.h"
#include "app/window/StatusAnnouncer.h"
#include "core/WaitWithEvents.h"
#include "export/AudioExportProtocol.h"
#include "platform/ScreenReaderStatus.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeechController.h"
#include "windows/FormLlenguatge.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

// What is said when an export ends, in the voice in use: the sound file's name, or that
// none was made (a WAV that an MP3 or Opus file could not be made from is named too).
QString ExportEndSentence(const ExportResult &result)
{
    const QString name = QFileInfo(result.file).fileName();
    if (result.ok)
        return QStringLiteral("Fitxer de so desat: %1.").arg(name);
    if (result.stopped)
        return QStringLiteral("S'ha aturat el desament.");
    if (!name.isEmpty() && QFileInfo::exists(result.file))
        return QStringLiteral("No s'ha pogut fer el fitxer %1. El so és a %2.")
            .arg(result.format == ExportFormat::Opus ? QStringLiteral("Opus") : QStringLiteral("MP3"), name);
    return QStringLiteral("No s'ha desat cap fitxer de so.");
}

// Announcements of a running export come this far apart at least.
constexpr qint64 kProgressAnnouncementMs = 10000;

} // namespace

ExportController::ExportController(const Parts &parts)
    : m_parts(parts), m_stopKey([this] { m_parts.exporter.Stop(); }, this)
{
    FormPrincipal &main = m_parts.main;
    AudioExporter &exporter = m_parts.exporter;
    exporter.SetStopReading([this] { m_parts.triggers.ButtonPararClick(); });
    exporter.SetDictionary([this](const QString &text) { return m_parts.dictionary.ApplyExceptionsDictionary(text); });
    const MainToolBar &tools = main.ToolBar();
    connect(tools.wav, &QToolButton::clicked, this, [this] { Start(ExportFormat::Wav); });
    connect(tools.mp3, &QToolButton::clicked, this, [this] { Start(ExportFormat::Mp3); });
    main.SetCommandHandler(WindowCommandId::kSaveWav, [this] { Start(ExportFormat::Wav); });
    main.SetCommandHandler(WindowCommandId::kSaveMp3, [this] { Start(ExportFormat::Mp3); });
    main.SetCommandHandler(WindowCommandId::kSaveOpus, [this] { Start(ExportFormat::Opus); });
    connect(tools.nomFitxer, &QLineEdit::textChanged, this, [this] { UpdateExportControls(m_parts.exporter.Busy()); });
    connect(&exporter, &AudioExporter::busyChanged, &m_parts.gate, &ActivityGate::SetExporting);
    connect(&exporter, &AudioExporter::busyChanged, this, &ExportController::BusyChanged);
    connect(&exporter, &AudioExporter::progress, this, &ExportController::ShowProgress);
    // The stop button stays enabled while an export runs: it ends the export too.
    connect(tools.parar, &QToolButton::clicked, &exporter, &AudioExporter::Stop);
    // The window's title names the open document: each new one names the sound files.
    connect(&main, &QWidget::windowTitleChanged, this, &ExportController::FollowDocument);
    connect(&m_parts.gate, &ActivityGate::changed, this, &ExportController::UpdateBusyControls);
    connect(&exporter, &AudioExporter::statusText, &main, &FormPrincipal::ShowStatus);
    connect(&exporter, &AudioExporter::finished, this, &ExportController::Finished);
    UpdateExportControls(false);
    FollowDocument();
}

void ExportController::Start(ExportFormat format)
{
    StartExportThroughGate(m_parts, [this, format] { StartNow(format); });
}

void ExportController::StartNow(ExportFormat format)
{
    ExportRequest request;
    request.text = m_parts.main.Document().Text();
    request.name = m_parts.main.ToolBar().nomFitxer->text();
    request.format = format;
    request.voice = m_parts.speech.SelectedVoice();
    request.voiceName = m_parts.speech.SelectedVoiceName();
    request.rate = m_parts.speech.RatePosition();
    request.subtitles = kAllSubtitles;
    request.language = m_parts.languages.LanguageIndex();
    if (m_languageRuns)
        request.runs = m_languageRuns(request);
    m_parts.exporter.Start(request);
}

void ExportController::BusyChanged(bool busy)
{
    m_stopKey.SetBusy(busy);
    if (busy) {
        m_lastAnnounced.invalidate();
        ShowProgress(0);
    }
}

void ExportController::ShowProgress(int percent)
{
    const QString text = ExportProgressText(m_parts.languages.LanguageIndex(), percent);
    if (!m_lastAnnounced.isValid() || m_lastAnnounced.elapsed() >= kProgressAnnouncementMs) {
        m_lastAnnounced.start();
        AnnounceStatus(&m_parts.main, text);
    } else {
        ShowStatusQuietly(&m_parts.main, text);
    }
}

void ExportController::FollowDocument()
{
    const DocumentCommands &documents = m_parts.main.Documents();
    // A converted document is unnamed, but named after its original all the same.
    const QString source =
        documents.CurrentFileName().isEmpty() ? documents.SuggestedName() : documents.CurrentFileName();
    // The title also changes with the interface language: a name typed meanwhile stays.
    if (source == m_documentSource)
        return;
    m_documentSource = source;
    const QString name = source.isEmpty() ? QString() : SoundFileNameOfDocument(source);
    m_parts.main.ToolBar().nomFitxer->setText(IsUsableSoundFileName(name) ? name : ExportProtocol::kStartName);
}

void ExportController::UpdateExportControls(bool exporting)
{
    FormPrincipal &main = m_parts.main;
    const MainToolBar &tools = main.ToolBar();
    const ExportControls controls = ExportControlsFor(tools.nomFitxer->text(), exporting);
    tools.wav->setEnabled(controls.wavButton);
    tools.mp3->setEnabled(controls.mp3Button);
    main.ActionFor(WindowCommandId::kSaveWav)->setEnabled(controls.wavButton);
    main.ActionFor(WindowCommandId::kSaveMp3)->setEnabled(controls.mp3Button);
    main.ActionFor(WindowCommandId::kSaveOpus)->setEnabled(controls.opusItem);
    tools.nomFitxer->setEnabled(controls.nameField);
}

void ExportController::UpdateBusyControls()
{
    FormPrincipal &main = m_parts.main;
    const bool exporting = m_parts.gate.Exporting();
    const MainToolBar &tools = main.ToolBar();
    for (QToolButton *button : {tools.lectura, tools.paraulaPerParaula, tools.menu})
        button->setEnabled(!exporting);
    if (QMenu *options = main.MenuNamed(QStringLiteral("MenuOpcions")))
        for (QAction *action : options->actions())
            if (!action->isSeparator())
                action->setEnabled(!exporting);
    for (const char *id : {WindowCommandId::kSpeechWindow, WindowCommandId::kWordByWord,
                           WindowCommandId::kLanguage, WindowCommandId::kOneHandKeyboard,
                           WindowCommandId::kHighlightSpokenWord})
        main.ActionFor(id)->setEnabled(!exporting);
    if (QAction *font = main.ActionFor(QStringLiteral("font")))
        font->setEnabled(!exporting);
    // The export items keep the name field's rule.
    UpdateExportControls(m_parts.exporter.Busy());
}

void ExportController::Finished(const ExportResult &result)
{
    // Once the program is closing there is no one left to tell.
    if (AppClosing())
        return;
    // Announced to a screen reader in the interface language.
    TellExportEnd(m_parts, result, ExportEndText(m_parts.languages.LanguageIndex(), result), ExportEndSentence(result));
}
