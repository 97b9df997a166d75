#include "book/Audiobook.h"

#include <QStringList>

namespace Audiobook {

namespace {

// FFmpeg's metadata values: "=", ";", "#", "\" and line breaks are taken literally only
// behind a backslash.
QString MetadataValue(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\r') || (c.unicode() < 0x20 && c != QLatin1Char('\n')))
            continue;
        if (c == QLatin1Char('=') || c == QLatin1Char(';') || c == QLatin1Char('#') || c == QLatin1Char('\\')
            || c == QLatin1Char('\n'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

} // namespace

qint64 EncodedChapterMs(qint64 frames, quint32 sampleRate)
{
    // The AAC frame: 1024 samples; one more than the sound fills, for the encoder's delay.
    constexpr qint64 kFrame = 1024;
    if (sampleRate == 0)
        return 0;
    const qint64 samples = ((frames + kFrame - 1) / kFrame + 1) * kFrame;
    return samples * 1000 / sampleRate;
}

QByteArray MetadataFile(const QString &title, const QString &narrator, const QList<Chapter> &chapters)
{
    QString text = QStringLiteral(";FFMETADATA1\n");
    text += QStringLiteral("title=%1\nalbum=%1\n").arg(MetadataValue(title));
    if (!narrator.isEmpty())
        text += QStringLiteral("artist=%1\ncomposer=%1\n").arg(MetadataValue(narrator));
    text += QStringLiteral("genre=Audiobook\n");
    qint64 start = 0;
    for (const Chapter &chapter : chapters) {
        // Numbers in the C locale whatever the session's: QString::number never groups.
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                    .arg(QString::number(start), QString::number(start + chapter.soundMs),
                         MetadataValue(chapter.title));
        start += chapter.soundMs;
    }
    return text.toUtf8();
}

QByteArray ConcatList(const QList<Chapter> &chapters)
{
    QString text = QStringLiteral("ffconcat version 1.0\n");
    for (const Chapter &chapter : chapters) {
        // Quoted, with a quote closed, escaped and opened again.
        QString path = chapter.path;
        path.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
        text += QStringLiteral("file '%1'\n").arg(path);
    }
    return text.toUtf8();
}

namespace {

QStringList QuietFfmpeg()
{
    return {QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
            QStringLiteral("error"), QStringLiteral("-y")};
}

} // namespace

QStringList ChapterArguments(const QString &wav, const QString &output)
{
    return QuietFfmpeg()
           + QStringList{QStringLiteral("-i"), wav, QStringLiteral("-map"), QStringLiteral("0:a"),
                         // Speech needs no more: 64 kbit/s mono AAC is clear and small. The
                         // encoder's fast coder takes about a fifth of the time of its default
                         // one on speech, about what lame takes for the MP3 export.
                         QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-aac_coder"),
                         QStringLiteral("fast"), QStringLiteral("-b:a"), QStringLiteral("64k"), QStringLiteral("-ac"),
                         QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("mp4"), output};
}

QStringList FfmpegArguments(const QString &list, const QString &metadata, const QString &output)
{
    return QuietFfmpeg()
           + QStringList{QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                         QStringLiteral("-i"), list, QStringLiteral("-f"), QStringLiteral("ffmetadata"),
                         QStringLiteral("-i"), metadata, QStringLiteral("-map"), QStringLiteral("0:a"),
                         QStringLiteral("-map_metadata"), QStringLiteral("1"), QStringLiteral("-map_chapters"),
                         QStringLiteral("1"), QStringLiteral("-c:a"), QStringLiteral("copy"), QStringLiteral("-f"),
                         QStringLiteral("mp4"), output};
}

} // namespace Audiobook
