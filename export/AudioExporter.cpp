#include "export/AudioExporter.h"

#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "export/AudioExportPrograms.h"
#include "export/ExportResult.h"
#include "export/OlderFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const QString AudioExporter::kNoSoundFile = QStringLiteral("no s'ha creat cap fitxer de so.");

namespace {

bool NonEmptyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

// Waits until the process ends, the time is up, the export is stopped or the program
// is closing.
WaitOutcome WaitForProcess(QProcess &process, int milliseconds, const AudioExporter &exporter)
{
    WaitEnd ended;
    ended.On(&process, &QProcess::finished);
    ended.On(&process, &QProcess::errorOccurred);
    ended.On(&exporter, &AudioExporter::stopRequested);
    if (process.state() == QProcess::NotRunning)
        ended.Done();
    return WaitWithEvents(milliseconds, ended);
}

// The encoders' progress lines: lame's "  100/6995   ( 1%)|..." and opusenc's
// "[\\]  5% 00:00:09.44 ...".
const QRegularExpression &EncoderProgress()
{
    static const QRegularExpression percent(QStringLiteral("[(\\]]\\s*(\\d{1,3})%"));
    return percent;
}

// The last percentage an encoder wrote in output; nothing when it wrote none.
std::optional<int> LastEncoderPercent(const QByteArray &output)
{
    std::optional<int> last;
    QRegularExpressionMatchIterator matches = EncoderProgress().globalMatch(QString::fromLatin1(output));
    while (matches.hasNext())
        last = matches.next().captured(1).toInt();
    return last;
}

// The encoder's last line that is not a progress line: what it said when it failed.
QString LastLine(const QByteArray &output)
{
    QString text = QString::fromLocal8Bit(output);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (!line->trimmed().isEmpty() && !EncoderProgress().match(*line).hasMatch())
            return line->trimmed();
    return QString();
}

// The length of a WAV file's sound in whole seconds, from its header; the renderer's
// own format when the header cannot be read.
qint64 SoundSeconds(const QString &path)
{
    QFile file(path);
    qint64 bytesPerSecond = 22050 * 2;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray header = file.read(44);
        if (header.size() == 44 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE") {
            const quint32 rate = qFromLittleEndian<quint32>(header.constData() + 28);
            if (rate > 0)
                bytesPerSecond = rate;
        }
    }
    return QFileInfo(path).size() / bytesPerSecond + 1;
}

// Speech at 12 kbit/s is as clear as lame's MP3 of our renderer's sound at 32; half
// the encoder's full effort takes half the time for the same size. Both encoders
// write their progress, which the status line follows.
QStringList EncoderArguments(bool opus, const QString &title, const QString &wavPath, const QString &encodedPath)
{
    if (!opus)
        return {wavPath};
    return {QStringLiteral("--speech"), QStringLiteral("--bitrate"), QStringLiteral("12"), QStringLiteral("--comp"),
            QStringLiteral("5"), QStringLiteral("--title"), title, wavPath, encodedPath};
}

// The lock file beside the exchange file, held for a whole export. The system drops
// the lock of a program that ends, however it ends.
class ExchangeLock
{
public:
    explicit ExchangeLock(const QString &fileName) : m_fileName(fileName) {}
    ~ExchangeLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ExchangeLock(const ExchangeLock &) = delete;
    ExchangeLock &operator=(const ExchangeLock &) = delete;

    QString FileName() const { return m_fileName; }

    // True once held; false while another export holds it, or with a problem when the
    // lock file cannot be made.
    bool TryLock(QString *problem)
    {
        if (m_fd < 0) {
            m_fd = ::open(QFile::encodeName(m_fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (m_fd < 0) {
                *problem = QStringLiteral("Unable to write to %1").arg(m_fileName);
                return false;
            }
        }
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            *problem = QStringLiteral("%1: %2").arg(m_fileName, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

private:
    QString m_fileName;
    int m_fd = -1;
};

} // namespace

AudioExporter::AudioExporter(const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                             QObject *parent)
    : ExportJob(parent), m_paths(paths), m_desktop(desktop), m_launcher(launcher),
      m_encoderSearchPath(ExecutableSearchPath())
{
}

bool AudioExporter::Start(const ExportRequest &request)
{
    if (m_busy)
        return false;
    Begin();
    QTimer::singleShot(0, this, [this, request] { End(Run(request)); });
    return true;
}

ExportResult AudioExporter::Export(const ExportRequest &request)
{
    if (m_busy) {
        ExportResult refused;
        refused.reason = QStringLiteral("Ja s'està desant un fitxer de so.");
        return refused;
    }
    Begin();
    const ExportResult result = Run(request);
    End(result);
    return result;
}

void AudioExporter::Stop()
{
    if (!m_busy || m_stopping)
        return;
    m_stopping = true;
    emit stopRequested();
}

void AudioExporter::ReportProgress(int stepPercent, bool encoding)
{
    const int step = qBound(0, stepPercent, 100);
    const int rendered = (m_runNumber * 100 + step) / qMax(1, m_runCount);
    const int whole = encoding ? m_renderShare + step * (100 - m_renderShare) / 100 : rendered * m_renderShare / 100;
    // Only forward: a new step never takes the bar back.
    if (whole <= m_lastPercent || whole < 1)
        return;
    m_lastPercent = qMin(whole, 100);
    emit progress(m_lastPercent);
}

ExportResult AudioExporter::GaveUp(ExportResult result, const QString &noFile)
{
    if (AppClosing())
        return FailedExport(result, QStringLiteral("El programa es tanca: ") + noFile);
    result.stopped = true;
    return FailedExport(result, QStringLiteral("S'ha aturat el desament: ") + noFile);
}

void AudioExporter::Begin()
{
    m_stopping = false;
    m_lastPercent = 0;
    m_runNumber = 0;
    m_runCount = 1;
    m_busy = true;
    emit busyChanged(true);
}

void AudioExporter::End(const ExportResult &result)
{
    m_busy = false;
    emit busyChanged(false);
    if (result.ok)
        emit statusText(QStringLiteral("Fitxer de so desat a %1").arg(result.file));
    emit finished(result);
}

ExportResult AudioExporter::Run(const ExportRequest &request)
{
    ExportResult result;
    // The name is taken once: the field cannot change the files an export works on.
    ExportRequest job = request;
    job.name = SoundFileNameOf(request.name);
    const QString &name = job.name;
    if (!IsUsableSoundFileName(name))
        return FailedExport(result, QStringLiteral("El nom del fitxer de so no és vàlid: no pot ser buit ni contenir "
                                             "«/», «..» o caràcters de control."));
    if (m_stopReading)
        m_stopReading();

    // One export at a time on one exchange file, whichever program runs it: the others wait.
    ExchangeLock lock(m_paths.exchangeFile + QStringLiteral(".lock"));
    QString lockProblem;
    if (!lock.TryLock(&lockProblem) && lockProblem.isEmpty()) {
        emit statusText(QStringLiteral("S'espera que acabi una altra exportació de so..."));
        QElapsedTimer waited;
        waited.start();
        while (!lock.TryLock(&lockProblem) && lockProblem.isEmpty()) {
            if (waited.elapsed() >= m_timings.lockWaitLimitMs)
                return FailedExport(result, QStringLiteral("Una altra exportació de so (%1) no ha acabat: ")
                                          .arg(lock.FileName()) + kNoSoundFile);
            if (WaitWithEvents(m_timings.lookIntervalMs) == WaitOutcome::Closing || Stopping())
                return GaveUp(result, kNoSoundFile);
        }
    }
    if (!lockProblem.isEmpty())
        return FailedExport(result, lockProblem + QStringLiteral(": ") + kNoSoundFile);

    QDir().mkpath(m_paths.recordsDir);
    RemoveLeftoversOfEndedExports(m_paths.recordsDir);
    SettingsStore exchange(m_paths.exchangeFile);
    result.format = job.format;
    // lame encodes in about half the time the rendering takes, opusenc in about as long.
    m_renderShare = job.format == ExportFormat::Wav ? 100 : job.format == ExportFormat::Mp3 ? 65 : 50;
    // Stretches in other voices are recorded apart, each with the dictionary applied to it.
    const bool byRuns = RunsCoverText(job.runs, job.text.size());
    QStringList spokenRuns;
    for (const ExportRun &run : (byRuns ? job.runs : QList<ExportRun>{}))
        spokenRuns << Spoken(job.text.mid(run.start, run.length));
    const QString spoken = byRuns ? spokenRuns.join(QString()) : Spoken(job.text);
    // The word times come in a file of this process's own, removed once read.
    const bool wantTimes = job.subtitles.Any() || job.keepWordTimes;
    const QString wordTimesName = wantTimes
        ? QStringLiteral(".Sonnerix-words-%1.txt").arg(QCoreApplication::applicationPid()) : QString();
    const QString wordTimesPath = m_paths.recordsDir + wordTimesName;
    if (!wordTimesName.isEmpty())
        QFile::remove(wordTimesPath);
    const auto render = [&](const QString &wavName) {
        return byRuns ? RenderRuns(job, spokenRuns, wavName, wordTimesName, exchange, result)
                      : RenderWav(job, spoken, wavName, wordTimesName, exchange, result);
    };
    result = job.format == ExportFormat::Wav ? render(name + QStringLiteral(".wav"))
                                             : RenderAndEncode(job.format, name, render);
    return wantTimes ? TakeWordTimes(job, spoken, wordTimesPath, result) : result;
}

QString AudioExporter::Spoken(const QString &text) const
{
    return m_dictionary ? m_dictionary(text) : text;
}

ExportResult AudioExporter::RenderAndEncode(ExportFormat format, const QString &name,
                                            const std::function<ExportResult(const QString &)> &render)
{
    // The encoded file is made from a WAV of its own: a WAV saved under the same name
    // stays as it is.
    const QString renderName = EncodingRenderName(format);
    const QString renderPath = m_paths.recordsDir + renderName;
    QFile::remove(renderPath);
    ExportResult result = render(renderName);
    if (result.ok) {
        result = Encode(format, name, renderPath, result);
        if (!result.ok) {
            // The sound is kept as a WAV when no file of that name stands in the way.
            const QString wavPath = m_paths.recordsDir + name + QStringLiteral(".wav");
            if (!Stopping() && !QFileInfo::exists(wavPath) && QFile::rename(renderPath, wavPath)) {
                result.reason += QStringLiteral("; el so és a %1.").arg(wavPath);
                result.file = wavPath;
            } else {
                result.reason += QLatin1Char('.');
                result.file.clear();
            }
        }
    }
    QFile::remove(renderPath);
    return result;
}

ExportResult AudioExporter::TakeWordTimes(const ExportRequest &request, const QString &spoken,
                                          const QString &wordTimesPath, ExportResult result)
{
    std::optional<WordTimes> times;
    if (const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(wordTimesPath); read.ok)
        times = ParseWordTimes(read.bytes);
    QFile::remove(wordTimesPath);
    if (request.keepWordTimes)
        result.wordTimes = times;
    // Subtitles go with whatever sound file the user is left with.
    if (request.subtitles.Any() && !Stopping() && !result.file.isEmpty() && QFileInfo::exists(result.file))
        result = WriteSubtitles(request, spoken, times, result);
    return result;
}

QString AudioExporter::EncodingRenderName(ExportFormat format)
{
    // Hidden, and one per process, so that two programs sharing the records folder never
    // meet in it.
    return QStringLiteral(".Sonnerix-%1-%2.wav")
        .arg(format == ExportFormat::Opus ? QStringLiteral("opus") : QStringLiteral("mp3"))
        .arg(QCoreApplication::applicationPid());
}

QString AudioExporter::SubstitutionFor(const ExportRequest &request)
{
    if (request.voice.family != ExportFamily::Sapi)
        return QString();
    // The rendering program asks the service for the voice as this does.
    const QList<VoiceCatalog::Voice> voices = VoiceCatalog::SpeechDispatcherVoices();
    const int index = request.voice.index;
    return ExportVoiceSubstitution(request.voice, request.voiceName,
                                   index >= 0 && index < voices.size() ? &voices.at(index) : nullptr);
}

ExportResult AudioExporter::Encode(ExportFormat format, const QString &name, const QString &wavPath,
                                   ExportResult result)
{
    const bool opus = format == ExportFormat::Opus;
    const QString program = opus ? QStringLiteral("opusenc") : QStringLiteral("lame");
    const QString kind = opus ? QStringLiteral("Opus") : QStringLiteral("MP3");
    const QString extension = opus ? QStringLiteral(".opus") : QStringLiteral(".mp3");
    const QString outPath = m_paths.recordsDir + name + extension;
    // lame names its output after its input: x.wav gives x.mp3 (some builds x.wav.mp3);
    // opusenc writes where it is told.
    const QString encodedPath = wavPath.chopped(4) + extension;
    const QString doubledPath = wavPath + extension;
    const QString noFile = QStringLiteral("no s'ha creat el fitxer %1").arg(kind);
    const QString encoder = FindEncoder(program, m_paths.programDir, m_encoderSearchPath);
    if (encoder.isEmpty())
        return FailedExport(result, QStringLiteral("No s'ha trobat el programa %1: ").arg(program) + noFile);

    // An older file steps aside while the encoder works, so that a new file is never
    // mistaken for it, and comes back when the encoding fails.
    OlderFile older(outPath, m_paths.recordsDir + QLatin1Char('.') + name + extension + QStringLiteral(".anterior"));
    if (!older.StepAside())
        return FailedExport(result, QStringLiteral("No s'ha pogut apartar l'antic %1: ").arg(outPath) + noFile);
    const auto failed = [&](const QString &reason) {
        QFile::remove(outPath);
        QFile::remove(encodedPath);
        QFile::remove(doubledPath);
        older.Restore();
        return FailedExport(result, reason);
    };

    emit statusText(QStringLiteral("Codificant el fitxer %1...").arg(kind));
    QProcess encoding;
    encoding.setProgram(encoder);
    encoding.setArguments(EncoderArguments(opus, name, wavPath, encodedPath));
    encoding.setWorkingDirectory(m_paths.recordsDir);
    encoding.setProcessChannelMode(QProcess::MergedChannels);
    encoding.start();
    if (!encoding.waitForStarted(5000))
        return failed(QStringLiteral("No s'ha pogut iniciar %1 (%2): ").arg(program, encoding.errorString()) + noFile);
    // Encoders work far faster than the sound plays: a limit of the sound's own length
    // and then some is only reached by an encoder that hangs.
    const qint64 limitMs = m_timings.encoderLimitMs + SoundSeconds(wavPath) * m_timings.encoderMsPerSoundSecond;
    QByteArray output;
    const StepEnd ended = AwaitEncoder(encoding, limitMs, output);
    if (ended == StepEnd::Stopped) {
        ExportResult stopped = failed(GaveUp(result, noFile).reason);
        stopped.stopped = !AppClosing();
        return stopped;
    }
    if (ended == StepEnd::Failed)
        return failed(QStringLiteral("%1 no ha acabat en %2 s i s'ha aturat: ").arg(program).arg((limitMs + 999) / 1000)
                      + noFile);

    const bool made = NonEmptyFile(encodedPath) || NonEmptyFile(doubledPath);
    const bool encoderFailed = encoding.exitStatus() != QProcess::NormalExit || encoding.exitCode() != 0;
    if (!made || encoderFailed) {
        const QString detail = LastLine(output);
        return failed(QStringLiteral("La codificació %1 ha fallat%2: ")
                          .arg(kind, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)) + noFile);
    }
    // Only a non-empty file replaces the older one.
    QFile::remove(outPath);
    const QString encoded = NonEmptyFile(encodedPath) ? encodedPath : doubledPath;
    if (!QFile::rename(encoded, outPath) || !NonEmptyFile(outPath))
        return failed(QStringLiteral("No s'ha pogut donar el nom %1 al fitxer %2: ").arg(outPath, kind) + noFile);
    QFile::remove(encodedPath);
    QFile::remove(doubledPath);
    older.Drop();
    result.file = outPath;
    return result;
}

AudioExporter::StepEnd AudioExporter::AwaitEncoder(QProcess &encoding, qint64 limitMs, QByteArray &output)
{
    QElapsedTimer clock;
    clock.start();
    while (encoding.state() != QProcess::NotRunning) {
        const WaitOutcome waited = WaitForProcess(
            encoding, int(qBound(qint64(1), limitMs - clock.elapsed(), qint64(m_timings.encoderPollMs))), *this);
        const QByteArray written = encoding.readAll();
        if (const std::optional<int> percent = LastEncoderPercent(written))
            ReportProgress(*percent, true);
        output += written;
        if (output.size() > 65536)
            output = output.right(4096);
        const bool gaveUp = waited == WaitOutcome::Closing || Stopping();
        if (gaveUp || (encoding.state() != QProcess::NotRunning && clock.elapsed() >= limitMs)) {
            encoding.kill();
            encoding.waitForFinished(2000);
            return gaveUp ? StepEnd::Stopped : StepEnd::Failed;
        }
    }
    output += encoding.readAll();
    return StepEnd::Finished;
}
