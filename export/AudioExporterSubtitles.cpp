#include "export/AudioExporter.h"

#include "core/WholeFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

// The recordings that may share a name, and so the subtitles NAME.srt and NAME.lrc.
const QStringList kRecordingKinds = {QStringLiteral(".wav"), QStringLiteral(".mp3"), QStringLiteral(".opus")};
// Subtitles are written just after their recording: a recording written this long or
// less before them is the one they are timed for.
constexpr qint64 kWrittenTogetherMs = 60000;

QDateTime LastWritten(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.lastModified() : QDateTime();
}

// Before new subtitles take the names NAME.srt and NAME.lrc (`extensions`), the older
// recording of another kind they were timed for keeps them under its own full name,
// NAME.mp3.srt, which players also find; the new recording's own full-name subtitles,
// timed for the file it replaced, go. Any other recording of that name left without
// subtitles of its own is named in what is returned, as players would show it the new ones.
QString KeepOlderRecordingsSubtitles(const QString &base, const QString &newRecording, const QStringList &extensions)
{
    QDateTime written;
    for (const QString &extension : extensions) {
        QFile::remove(newRecording + extension);
        const QDateTime time = LastWritten(base + extension);
        if (time.isValid() && (!written.isValid() || time > written))
            written = time;
    }
    QStringList others;
    QString owner;
    QDateTime ownerWritten;
    for (const QString &kind : kRecordingKinds) {
        const QString recording = base + kind;
        const QDateTime time = LastWritten(recording);
        if (recording == newRecording || !time.isValid())
            continue;
        others << recording;
        const qint64 before = written.isValid() ? time.msecsTo(written) : -1;
        if (before >= 0 && before <= kWrittenTogetherMs && (owner.isEmpty() || time > ownerWritten)) {
            owner = recording;
            ownerWritten = time;
        }
    }
    QStringList told;
    QStringList kept;
    for (const QString &extension : extensions) {
        if (owner.isEmpty() || !QFileInfo::exists(base + extension))
            continue;
        QFile::remove(owner + extension);
        if (QFile::rename(base + extension, owner + extension))
            kept << QFileInfo(owner + extension).fileName();
    }
    if (!kept.isEmpty())
        told << QStringLiteral("Els subtítols de %1 es diuen ara %2.")
                    .arg(QFileInfo(owner).fileName(), kept.join(QStringLiteral(" i ")));
    const QString newName = QFileInfo(newRecording).fileName();
    for (const QString &other : std::as_const(others))
        if (!QFileInfo::exists(other + extensions.constFirst()))
            told << QStringLiteral("%1 no té subtítols propis: els de %2 són de %3.")
                        .arg(QFileInfo(other).fileName(), QFileInfo(base).fileName(), newName);
    return told.join(QLatin1Char(' '));
}

void AddNotice(ExportResult &result, const QString &told)
{
    if (!told.isEmpty())
        result.notice = result.notice.isEmpty() ? told : result.notice + QLatin1Char(' ') + told;
}

} // namespace

ExportResult AudioExporter::WriteSubtitles(const ExportRequest &request, const QString &spoken,
                                           const std::optional<WordTimes> &times, ExportResult result)
{
    const QString base = QFileInfo(result.file).path() + QLatin1Char('/') + request.name;
    QList<std::pair<QString, QByteArray>> files;
    const QString srtPath = base + QStringLiteral(".srt");
    const QString lrcPath = base + QStringLiteral(".lrc");
    QStringList replaced;
    if (request.subtitles.srt)
        replaced << QStringLiteral(".srt");
    if (request.subtitles.lrc)
        replaced << QStringLiteral(".lrc");
    AddNotice(result, KeepOlderRecordingsSubtitles(base, result.file, replaced));
    QStringList problems;
    if (!times) {
        // Older subtitles of that name belong to an older recording: players would show
        // them with this one.
        for (const QString &extension : std::as_const(replaced))
            QFile::remove(base + extension);
        problems << QStringLiteral("el programa de síntesi no ha donat el temps de les paraules");
    } else {
        const QList<TimedSentence> sentences = TimeSentences(request.text, spoken, *times);
        if (request.subtitles.srt)
            files.append({srtPath, SrtFileContents(sentences)});
        if (request.subtitles.lrc)
            files.append({lrcPath, LrcFileContents(sentences, request.name, times->soundMs)});
    }
    for (const auto &[path, contents] : std::as_const(files)) {
        QString error;
        if (WholeFiles::WriteFile(path, contents, &error))
            result.subtitleFiles << path;
        else
            problems << error;
    }
    if (!problems.isEmpty())
        AddNotice(result,
                  QStringLiteral("No s'han pogut desar els subtítols: %1.").arg(problems.join(QStringLiteral("; "))));
    return result;
}
