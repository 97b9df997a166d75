#include "export/RecordingLength.h"

#include <QFile>
#include <QtEndian>

namespace RecordingLength {

namespace {

constexpr qint64 kMostCharactersPerSecond = 100;

} // namespace

std::optional<WavSound> WavSoundOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray riff = file.read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 bytesPerSecond = 0;
    quint32 sampleRate = 0;
    quint16 blockAlign = 0;
    // The chunks in turn: fmt tells the pace, data how much sound there is. A renderer
    // that stopped short leaves a data size larger than what follows: only what is
    // there counts.
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() != 8)
            return std::nullopt;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray format = file.read(16);
            if (size < 16 || format.size() != 16)
                return std::nullopt;
            sampleRate = qFromLittleEndian<quint32>(format.constData() + 4);
            bytesPerSecond = qFromLittleEndian<quint32>(format.constData() + 8);
            blockAlign = qFromLittleEndian<quint16>(format.constData() + 12);
            if (!file.seek(file.pos() + (size - 16) + (size & 1)))
                return std::nullopt;
        } else if (chunk.startsWith("data")) {
            if (bytesPerSecond == 0)
                return std::nullopt;
            const qint64 there = qMin<qint64>(size, file.size() - file.pos());
            return WavSound{sampleRate, blockAlign > 0 ? there / blockAlign : 0, there * 1000 / bytesPerSecond};
        } else if (!file.seek(file.pos() + size + (size & 1))) {
            return std::nullopt;
        }
    }
}

std::optional<qint64> WavSoundMs(const QString &path)
{
    const std::optional<WavSound> sound = WavSoundOf(path);
    return sound ? std::optional<qint64>(sound->ms) : std::nullopt;
}

qint64 ShortestMsFor(const QString &text)
{
    // Letters of the Latin script and digits, which every voice of ours says; a text of
    // other scripts or symbols alone may rightly be a silent recording.
    qint64 sayable = 0;
    for (const QChar c : text)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.isLetter() && c.script() == QChar::Script_Latin))
            ++sayable;
    return sayable * 1000 / kMostCharactersPerSecond;
}

QString Problem(const QString &path, const QString &text)
{
    const std::optional<qint64> ms = WavSoundMs(path);
    if (!ms)
        return QStringLiteral("el fitxer %1 no és un fitxer de so WAV").arg(path);
    const bool somethingToSay = ShortestMsFor(text) > 0;
    if (somethingToSay && *ms == 0)
        return QStringLiteral("la veu no ha dit res del text");
    if (*ms < ShortestMsFor(text))
        return QStringLiteral("la gravació dura %1 ms, massa poc per al text").arg(*ms);
    return QString();
}

} // namespace RecordingLength
