#include "export/AudioExporter.h"

#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "export/AudioExportPrograms.h"
#include "export/ExportResult.h"
#include "export/OlderFile.h"
#include "export/RecordingLength.h"
#include "platform/DesktopWindows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// Writes an entry of the exchange file, keeping the first failure in firstError.
void WriteExchange(SettingsStore &exchange, const QString &key, const QString &value, QString &firstError)
{
    if (!exchange.WriteString(ExportProtocol::kSection, key, value) && firstError.isEmpty())
        firstError = exchange.LastError();
}

} // namespace

void AudioExporter::CloseRenderer(const QString &window)
{
    m_desktop.RequestClose(window);
    m_closedRenderer = window;
}

void AudioExporter::WaitForClosedRenderer()
{
    // A renderer asked to close goes a moment later: a recording handed to it meanwhile
    // (the next language's stretch, a book's next chapter, an export right after
    // another) would be lost with it.
    constexpr int kLimitMs = 5000;
    const QString closed = std::exchange(m_closedRenderer, QString());
    if (closed.isEmpty())
        return;
    const QString title = ExportProtocol::RendererWindowTitle(m_paths.exchangeFile);
    QElapsedTimer clock;
    clock.start();
    while (m_desktop.FindWindowByTitle(title) == closed && clock.elapsed() < kLimitMs && !Stopping())
        if (WaitWithEvents(m_timings.lookIntervalMs) == WaitOutcome::Closing)
            return;
}

ExportResult AudioExporter::RenderWav(const ExportRequest &request, const QString &spoken, const QString &wavName,
                                      const QString &wordTimesName, SettingsStore &exchange, ExportResult result)
{
    using namespace ExportProtocol;
    // Refused before the text goes anywhere.
    if (const QString tooLong = UpctvTextTooLong(request.voice, spoken.size(), request.language); !tooLong.isEmpty())
        return FailedExport(result, tooLong);
    const QString writeError = WriteRenderRequest(request, spoken, exchange);
    // A UPCTV voice whose synthesizer is missing could only give an empty file.
    if (const QString missing = UpctvRenderingProblem(request.voice, request.language); !missing.isEmpty())
        return FailedExport(result, missing);
    if (!writeError.isEmpty())
        return FailedExport(result, writeError + QStringLiteral(": ") + kNoSoundFile);
    const QFileInfo records(m_paths.recordsDir);
    if (!records.isDir() || !records.isWritable())
        return FailedExport(result, QStringLiteral("No es pot escriure a la carpeta %1: ").arg(m_paths.recordsDir)
                                  + kNoSoundFile);
    // Another voice than the one chosen is said before the recording starts, and once
    // a run after it.
    const QString substitution = SubstitutionFor(request);
    if (!substitution.isEmpty() && !m_sapiNoticeGiven) {
        m_sapiNoticeGiven = true;
        result.notice = substitution;
    }
    QString window;
    if (const std::optional<ExportResult> failure = OpenRendererWindow(substitution, &window, result))
        return *failure;
    return RecordInto(window, wavName, wordTimesName, spoken, exchange, result);
}

QString AudioExporter::WriteRenderRequest(const ExportRequest &request, const QString &spoken,
                                          SettingsStore &exchange)
{
    using namespace ExportProtocol;
    QString writeError;
    WriteExchange(exchange, kKeyWavDir, m_paths.recordsDir, writeError);
    WriteExchange(exchange, kKeyWav, kFirstWavName, writeError);
    WriteExchange(exchange, kKeyWavText, EscapeExchangeText(spoken), writeError);
    WriteExchange(exchange, kKeySpeed, QString::number(qBound(-10, request.rate, 10)), writeError);

    const QString textFile = QDir(m_paths.exchangeDir).filePath(kTextFileName);
    if (!WholeFiles::WriteFile(textFile, TextFileContents(request.text), nullptr))
        writeError = QStringLiteral("Unable to write to %1").arg(textFile);

    WriteExchange(exchange, kKeyFamily, FamilyKeyText(request.voice.family), writeError);
    WriteExchange(exchange, kKeyVoice, QString::number(request.voice.index), writeError);
    return writeError;
}

std::optional<ExportResult> AudioExporter::OpenRendererWindow(const QString &substitution, QString *window,
                                                              const ExportResult &result)
{
    using namespace ExportProtocol;
    // The rendering window: started when absent, given a few seconds to open.
    WaitForClosedRenderer();
    const QString title = RendererWindowTitle(m_paths.exchangeFile);
    bool startedHere = false;
    if (m_desktop.FindWindowByTitle(title).isEmpty()) {
        QString error;
        if (!m_launcher.Start(&error))
            return FailedExport(result, QStringLiteral("No s'ha pogut iniciar el programa de síntesi (%1): ").arg(error)
                                      + kNoSoundFile);
        startedHere = true;
    }
    const QString saving = QStringLiteral("Desant el fitxer de so...");
    emit statusText(substitution.isEmpty() ? saving : substitution + QLatin1Char(' ') + saving);
    QElapsedTimer clock;
    clock.start();
    WaitWithEvents(m_timings.firstLookMs);
    QString found = m_desktop.FindWindowByTitle(title);
    while (found.isEmpty() && startedHere && m_launcher.Running() && !Stopping()
           && clock.elapsed() < m_timings.appearLimitMs) {
        WaitWithEvents(m_timings.lookIntervalMs);
        found = m_desktop.FindWindowByTitle(title);
    }
    if (Stopping()) {
        if (startedHere)
            m_launcher.Terminate();
        return GaveUp(result, kNoSoundFile);
    }
    if (found.isEmpty()) {
        if (startedHere)
            m_launcher.Terminate();
        return FailedExport(result, QStringLiteral("El programa de síntesi SonnerixaWav no ha obert la seva finestra: ")
                                  + kNoSoundFile);
    }
    m_desktop.SendWindowMessage(found, kMessageHello);
    *window = found;
    return std::nullopt;
}

ExportResult AudioExporter::RecordInto(const QString &window, const QString &wavName, const QString &wordTimesName,
                                       const QString &spoken, SettingsStore &exchange, ExportResult result)
{
    using namespace ExportProtocol;
    const QString wavPath = m_paths.recordsDir + wavName;
    // An older file of that name steps aside while the renderer writes, so that an
    // unfinished export leaves neither a half-written file nor a lost old one.
    OlderFile older(wavPath, m_paths.recordsDir + QLatin1Char('.') + wavName + QStringLiteral(".anterior"),
                    OlderFile::NewFile::WholeWhenThere);
    const auto failed = [&](const QString &reason) {
        QFile::remove(wavPath);
        older.Restore();
        return FailedExport(result, reason);
    };
    if (!older.StepAside()) {
        CloseRenderer(window);
        return FailedExport(result, QStringLiteral("No s'ha pogut apartar l'antic %1: ").arg(wavPath) + kNoSoundFile);
    }
    // What the file was before the renderer ran, so that an old file is never taken for a new one.
    const WholeFiles::FileStamp before = WholeFiles::StampOf(wavPath);
    QString writeError;
    WriteExchange(exchange, kKeyWav, wavName, writeError);
    if (!wordTimesName.isEmpty())
        WriteExchange(exchange, kKeyWavWords, wordTimesName, writeError);
    if (!writeError.isEmpty()) {
        CloseRenderer(window);
        return failed(writeError + QStringLiteral(": ") + kNoSoundFile);
    }
    if (!m_desktop.SendWindowMessage(window, kMessageRender))
        return failed(QStringLiteral("El programa de síntesi SonnerixaWav no respon: ") + kNoSoundFile);

    const StepEnd ended = AwaitRendering(window, exchange);
    // The close request also ends a job still rendering: nothing of it is kept.
    CloseRenderer(window);
    if (ended == StepEnd::Stopped) {
        QFile::remove(wavPath);
        older.Restore();
        return GaveUp(result, kNoSoundFile);
    }
    if (ended == StepEnd::Failed)
        return failed(QStringLiteral("El programa de síntesi SonnerixaWav s'ha tancat abans d'acabar: ")
                      + kNoSoundFile);
    const WholeFiles::FileStamp after = WholeFiles::StampOf(wavPath);
    if (!after.exists || after == before || after.size == 0)
        return failed(QStringLiteral("El programa de síntesi no ha creat el fitxer %1.").arg(wavPath));
    // A synthesizer that failed without saying so leaves a file with little or no sound.
    if (const QString problem = RecordingLength::Problem(wavPath, spoken); !problem.isEmpty())
        return failed(problem + QStringLiteral(": ") + kNoSoundFile);
    older.Drop();
    result.ok = true;
    result.file = wavPath;
    return result;
}

AudioExporter::StepEnd AudioExporter::AwaitRendering(const QString &window, SettingsStore &exchange)
{
    using namespace ExportProtocol;
    WaitEnd stopped;
    stopped.On(this, &AudioExporter::stopRequested);
    for (;;) {
        if (WaitWithEvents(m_timings.statusPollMs, stopped) == WaitOutcome::Closing || Stopping())
            return StepEnd::Stopped;
        const QString status = exchange.ReadString(kSection, kKeyStatus, kStatusDone);
        if (status == kStatusDone)
            return StepEnd::Finished;
        const std::optional<int> percent = ToInteger(status);
        if (percent && *percent >= 1 && *percent <= 100)
            ReportProgress(*percent, false);
        // The bus itself answers for the window's name, so a renderer busy writing to a
        // slow disk is not taken for gone.
        if (!m_desktop.WindowExists(window))
            return StepEnd::Failed;
    }
}
