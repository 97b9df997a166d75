#include "export/AudioExporter.h"

#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "export/AudioExportPrograms.h"
#include "export/ExportResult.h"
#include "export/RecordingLength.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace {

// The voices record at rates of their own (festival's Catalan voice at 16 kHz,
// espeak-ng at 22.05 kHz): the joined recording has the renderer's usual one.
const QString kJoinedRate = QStringLiteral("22050");

// The hidden names of a run's recording and of the joined one, the process's own, so
// that the next export removes those of one that ended early.
QString RunRecordingName(int number, const QString &kind)
{
    return QStringLiteral(".Sonnerix-%1%2-%3.wav").arg(kind).arg(number).arg(QCoreApplication::applicationPid());
}

} // namespace

ExportResult AudioExporter::RenderRuns(const ExportRequest &request, const QStringList &spokenRuns,
                                       const QString &wavName, const QString &wordTimesName, SettingsStore &exchange,
                                       ExportResult result)
{
    const QString wordTimesPath = m_paths.recordsDir + wordTimesName;
    QStringList parts;
    QList<TimedPart> timed;
    bool allTimed = !wordTimesName.isEmpty();
    const auto removeParts = [&parts] {
        for (const QString &part : std::as_const(parts))
            QFile::remove(part);
    };
    m_runCount = int(request.runs.size());
    for (m_runNumber = 0; m_runNumber < m_runCount; ++m_runNumber) {
        const ExportRun &run = request.runs.at(m_runNumber);
        ExportRequest one = request;
        one.text = request.text.mid(run.start, run.length);
        one.voice = run.voice;
        one.voiceName = run.voiceName;
        one.runs.clear();
        const QString &spoken = spokenRuns.at(m_runNumber);
        if (!wordTimesName.isEmpty())
            QFile::remove(wordTimesPath);
        const ExportResult rendered = RenderWav(one, spoken, RunRecordingName(m_runNumber, QStringLiteral("run")),
                                                wordTimesName, exchange, result);
        result.notice = rendered.notice;
        if (!rendered.ok) {
            removeParts();
            QFile::remove(wordTimesPath);
            return rendered;
        }
        parts << rendered.file;
        const std::optional<qint64> soundMs = RecordingLength::WavSoundMs(rendered.file);
        std::optional<WordTimes> times;
        if (allTimed)
            if (const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(wordTimesPath); read.ok)
                times = ParseWordTimes(read.bytes);
        allTimed = allTimed && times && soundMs;
        if (allTimed)
            timed.append({*times, *soundMs, spoken.size()});
    }
    m_runNumber = 0;
    m_runCount = 1;
    if (!wordTimesName.isEmpty())
        QFile::remove(wordTimesPath);

    // Joined under a hidden name and then renamed: an older file of that name stays until
    // the new one is whole.
    const QString joined = m_paths.recordsDir + RunRecordingName(0, QStringLiteral("joined"));
    const QString problem = JoinRecordings(parts, joined);
    removeParts();
    const QString wavPath = m_paths.recordsDir + wavName;
    if (problem.isEmpty() && !Stopping()) {
        QFile::remove(wavPath);
        if (QFile::rename(joined, wavPath)) {
            if (allTimed)
                WholeFiles::WriteFile(wordTimesPath, WordTimesFileContents(JoinWordTimes(timed)), nullptr);
            result.ok = true;
            result.file = wavPath;
            return result;
        }
    }
    QFile::remove(joined);
    if (Stopping())
        return GaveUp(result, kNoSoundFile);
    return FailedExport(result, (problem.isEmpty() ? QStringLiteral("No s'ha pogut donar el nom %1 al so").arg(wavPath)
                                             : problem)
                              + QStringLiteral(": ") + kNoSoundFile);
}

QString AudioExporter::JoinRecordings(const QStringList &parts, const QString &outPath)
{
    const QString sox = FindEncoder(QStringLiteral("sox"), m_paths.programDir, m_encoderSearchPath);
    if (sox.isEmpty())
        return QStringLiteral("No s'ha trobat el programa sox, que uneix les veus de cada llengua");
    emit statusText(QStringLiteral("Unint les veus de cada llengua..."));
    // sox joins recordings of one rate only: each is brought to it first.
    QStringList even;
    QString problem;
    for (const QString &part : parts) {
        const QString resampled = part.chopped(4) + QStringLiteral("-even.wav");
        even << resampled;
        problem = RunToEnd(sox, {part, QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-b"),
                                 QStringLiteral("16"), resampled, QStringLiteral("rate"), kJoinedRate});
        if (!problem.isEmpty())
            break;
    }
    if (problem.isEmpty())
        problem = RunToEnd(sox, even + QStringList{outPath});
    for (const QString &resampled : std::as_const(even))
        QFile::remove(resampled);
    return problem;
}

QString AudioExporter::RunToEnd(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(5000))
        return QStringLiteral("No s'ha pogut iniciar %1 (%2)").arg(program, process.errorString());
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        WaitEnd ended;
        ended.On(&process, &QProcess::finished);
        ended.On(this, &AudioExporter::stopRequested);
        if (process.state() == QProcess::NotRunning)
            break;
        const WaitOutcome waited = WaitWithEvents(m_timings.encoderPollMs, ended);
        if (waited == WaitOutcome::Closing || Stopping() || clock.elapsed() >= m_timings.encoderLimitMs) {
            process.kill();
            process.waitForFinished(2000);
            return Stopping() ? QStringLiteral("S'ha aturat el desament")
                              : QStringLiteral("%1 no ha acabat").arg(program);
        }
    }
    const QByteArray output = process.readAll().trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 ha fallat (%2)")
            .arg(program, output.isEmpty() ? QString::number(process.exitCode()) : QString::fromLocal8Bit(output));
    return QString();
}
