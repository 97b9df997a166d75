#include "speech/AudioExporter.h"

#include "app/SettingsStore.h"
#include "app/WaitWithEvents.h"
#include "platform/DesktopWindows.h"
#include "speech/AudioExportPrograms.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTimer>

#include <sys/stat.h>

namespace {

const QString kNoSoundFile = QStringLiteral("no s'ha creat cap fitxer de so.");

// What a file was before the renderer ran, so that an old file is never taken for a new one.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp StampOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, qint64(info.st_size), qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec),
            quint64(info.st_ino)};
}

bool NonEmptyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

// Waits until the process ends, the time is up or the program is closing.
void WaitForProcess(QProcess &process, int milliseconds)
{
    if (AppClosing() || process.state() == QProcess::NotRunning)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&AppLifetime::Instance(), &AppLifetime::closing, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec();
}

QString LastLine(const QByteArray &output)
{
    QString text = QString::fromLocal8Bit(output);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.constLast().trimmed();
}

ExportResult Failed(ExportResult result, const QString &reason)
{
    result.ok = false;
    result.reason = reason;
    return result;
}

} // namespace

AudioExporter::AudioExporter(const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                             QObject *parent)
    : QObject(parent), m_paths(paths), m_desktop(desktop), m_launcher(launcher),
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

void AudioExporter::Begin()
{
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
    const QString name = request.name;
    if (!IsUsableSoundFileName(name))
        return Failed(result, QStringLiteral("El nom del fitxer de so no és vàlid: no pot ser buit ni contenir "
                                             "«/», «..» o caràcters de control."));
    if (m_stopReading)
        m_stopReading();

    QDir().mkpath(m_paths.recordsDir);
    SettingsStore exchange(m_paths.exchangeFile);
    result = RenderWav(request, exchange, result);
    if (!result.ok || request.format == ExportFormat::Wav)
        return result;
    return EncodeMp3(name, result);
}

ExportResult AudioExporter::RenderWav(const ExportRequest &request, SettingsStore &exchange, ExportResult result)
{
    using namespace ExportProtocol;
    QString writeError;
    const auto write = [&](const QString &key, const QString &value) {
        if (!exchange.WriteString(kSection, key, value) && writeError.isEmpty())
            writeError = exchange.LastError();
    };
    const QString text = m_dictionary ? m_dictionary(request.text) : request.text;
    write(kKeyWavDir, m_paths.recordsDir);
    write(kKeyWav, kFirstWavName);
    write(kKeyWavText, EscapeExchangeText(text));
    write(kKeySpeed, QString::number(qBound(-10, request.rate, 10)));

    QSaveFile textFile(QDir(m_paths.exchangeDir).filePath(kTextFileName));
    if (!textFile.open(QIODevice::WriteOnly) || textFile.write(TextFileContents(request.text)) < 0
        || !textFile.commit())
        writeError = QStringLiteral("Unable to write to %1").arg(textFile.fileName());

    if (request.voice.family == ExportFamily::Upctv)
        return Failed(result, QStringLiteral("Les veus UPCTV no es poden desar en un fitxer de so: ") + kNoSoundFile);
    write(kKeyFamily, FamilyKeyText(request.voice.family));
    write(kKeyVoice, QString::number(request.voice.index));
    if (!writeError.isEmpty())
        return Failed(result, writeError + QStringLiteral(": ") + kNoSoundFile);
    const QFileInfo records(m_paths.recordsDir);
    if (!records.isDir() || !records.isWritable())
        return Failed(result, QStringLiteral("No es pot escriure a la carpeta %1: ").arg(m_paths.recordsDir)
                                  + kNoSoundFile);
    if (request.voice.family == ExportFamily::Sapi && !m_sapiNoticeGiven) {
        m_sapiNoticeGiven = true;
        result.notice = QStringLiteral("Les veus SAPI no es poden desar en un fitxer: el fitxer de so es fa "
                                       "amb la veu d'espeak-ng de la mateixa llengua.");
    }

    // The rendering window: started when absent, given a few seconds to open.
    bool startedHere = false;
    if (m_desktop.FindWindowByTitle(kRendererTitle).isEmpty()) {
        QString error;
        if (!m_launcher.Start(&error))
            return Failed(result, QStringLiteral("No s'ha pogut iniciar el programa de síntesi (%1): ").arg(error)
                                      + kNoSoundFile);
        startedHere = true;
    }
    emit statusText(QStringLiteral("Desant el fitxer de so..."));
    QElapsedTimer clock;
    clock.start();
    WaitWithEvents(m_timings.firstLookMs);
    QString window = m_desktop.FindWindowByTitle(kRendererTitle);
    while (window.isEmpty() && startedHere && m_launcher.Running() && !AppClosing()
           && clock.elapsed() < m_timings.appearLimitMs) {
        WaitWithEvents(m_timings.lookIntervalMs);
        window = m_desktop.FindWindowByTitle(kRendererTitle);
    }
    if (AppClosing()) {
        if (startedHere)
            m_launcher.Terminate();
        return Failed(result, QStringLiteral("El programa es tanca: ") + kNoSoundFile);
    }
    if (window.isEmpty()) {
        if (startedHere)
            m_launcher.Terminate();
        return Failed(result, QStringLiteral("El programa de síntesi SonnerixaWav no ha obert la seva finestra: ")
                                  + kNoSoundFile);
    }
    m_desktop.SendWindowMessage(window, kMessageHello);

    const QString wavPath = m_paths.recordsDir + request.name + QStringLiteral(".wav");
    const FileStamp before = StampOf(wavPath);
    write(kKeyWav, request.name + QStringLiteral(".wav"));
    if (!writeError.isEmpty()) {
        m_desktop.RequestClose(window);
        return Failed(result, writeError + QStringLiteral(": ") + kNoSoundFile);
    }
    if (!m_desktop.SendWindowMessage(window, kMessageRender))
        return Failed(result, QStringLiteral("El programa de síntesi SonnerixaWav no respon: ") + kNoSoundFile);

    QString failure;
    for (;;) {
        WaitWithEvents(m_timings.statusPollMs);
        if (AppClosing()) {
            failure = QStringLiteral("El programa es tanca: ") + kNoSoundFile;
            break;
        }
        const QString status = exchange.ReadString(kSection, kKeyStatus, kStatusDone);
        if (status == kStatusDone)
            break;
        const std::optional<int> percent = ToInteger(status);
        if (percent && *percent >= 1 && *percent <= 100) {
            emit progress(*percent);
            emit statusText(QStringLiteral("Desant el fitxer de so... %1%").arg(*percent));
        }
        if (m_desktop.FindWindowByTitle(kRendererTitle) != window) {
            failure = QStringLiteral("El programa de síntesi SonnerixaWav s'ha tancat abans d'acabar: ")
                      + kNoSoundFile;
            break;
        }
    }
    m_desktop.RequestClose(window);
    if (!failure.isEmpty())
        return Failed(result, failure);
    const FileStamp after = StampOf(wavPath);
    if (!after.exists || after == before || after.size == 0)
        return Failed(result, QStringLiteral("El programa de síntesi no ha creat el fitxer %1.").arg(wavPath));
    result.ok = true;
    result.file = wavPath;
    return result;
}

ExportResult AudioExporter::EncodeMp3(const QString &name, ExportResult result)
{
    const QString wavPath = m_paths.recordsDir + name + QStringLiteral(".wav");
    const QString mp3Path = m_paths.recordsDir + name + QStringLiteral(".mp3");
    const QString doubledPath = wavPath + QStringLiteral(".mp3");
    // An older MP3 goes first, so that a failed encoding never leaves a stale one.
    if (QFileInfo::exists(mp3Path) && !QFile::remove(mp3Path))
        return Failed(result, QStringLiteral("No s'ha pogut esborrar l'antic %1: el so és a %2.").arg(mp3Path, wavPath));

    const QString encoder = FindEncoder(m_paths.programDir, m_encoderSearchPath);
    if (encoder.isEmpty())
        return Failed(result, QStringLiteral("No s'ha trobat el programa lame: no s'ha creat el fitxer MP3; "
                                             "el so és a %1.").arg(wavPath));
    emit statusText(QStringLiteral("Codificant el fitxer MP3..."));
    QProcess lame;
    lame.setProgram(encoder);
    lame.setArguments({wavPath});
    lame.setWorkingDirectory(m_paths.recordsDir);
    lame.setProcessChannelMode(QProcess::MergedChannels);
    lame.start();
    if (!lame.waitForStarted(5000))
        return Failed(result, QStringLiteral("No s'ha pogut iniciar lame (%1): el so és a %2.")
                                  .arg(lame.errorString(), wavPath));
    QByteArray output;
    while (lame.state() != QProcess::NotRunning) {
        WaitForProcess(lame, m_timings.encoderPollMs);
        output += lame.readAll();
        if (output.size() > 65536)
            output = output.right(4096);
        if (AppClosing()) {
            lame.kill();
            lame.waitForFinished(2000);
            QFile::remove(mp3Path);
            return Failed(result, QStringLiteral("El programa es tanca: el so és a %1.").arg(wavPath));
        }
    }
    output += lame.readAll();

    const bool made = NonEmptyFile(mp3Path) || NonEmptyFile(doubledPath);
    const bool encoderFailed = lame.exitStatus() != QProcess::NormalExit || lame.exitCode() != 0;
    if (!made || encoderFailed) {
        QFile::remove(mp3Path);
        QFile::remove(doubledPath);
        const QString detail = LastLine(output);
        return Failed(result, QStringLiteral("La codificació MP3 ha fallat%1: el so és a %2.")
                                  .arg(detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail), wavPath));
    }
    // Only a non-empty MP3 replaces the WAV.
    QFile::remove(wavPath);
    if (QFileInfo::exists(doubledPath) && !QFileInfo::exists(mp3Path))
        QFile::rename(doubledPath, mp3Path);
    result.file = mp3Path;
    return result;
}
