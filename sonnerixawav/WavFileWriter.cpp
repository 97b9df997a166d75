#include "sonnerixawav/WavFileWriter.h"

#include "core/WholeFiles.h"

#include <QtEndian>

namespace {

constexpr qint64 kHeaderBytes = 44;
constexpr qint64 kLargestData = 0xFFFFFFFFLL - (kHeaderBytes - 8);

void Put32(char *at, quint32 value)
{
    qToLittleEndian(value, at);
}

void Put16(char *at, quint16 value)
{
    qToLittleEndian(value, at);
}

} // namespace

WavFileWriter::WavFileWriter(const QString &path, int sampleRate)
    : m_file(path), m_sampleRate(sampleRate)
{
}

// A full disk is said as such, with the room the recording needs.
QString WavFileWriter::WriteError(qint64 bytesNeeded, const QString &why) const
{
    const QString reason = WholeFiles::DiskFullReason(m_file.fileName(), bytesNeeded);
    return QStringLiteral("cannot write %1: %2")
        .arg(m_file.fileName(), !reason.isEmpty() ? reason : why.isEmpty() ? m_file.errorString() : why);
}

bool WavFileWriter::Open()
{
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    return WriteHeader();
}

bool WavFileWriter::WriteHeader()
{
    char header[kHeaderBytes] = {};
    memcpy(header, "RIFF", 4);
    Put32(header + 4, quint32(m_dataBytes + kHeaderBytes - 8));
    memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1);  // PCM
    Put16(header + 22, 1);  // mono
    Put32(header + 24, quint32(m_sampleRate));
    Put32(header + 28, quint32(m_sampleRate * 2));
    Put16(header + 32, 2);
    Put16(header + 34, 16);
    memcpy(header + 36, "data", 4);
    Put32(header + 40, quint32(m_dataBytes));
    if (m_file.write(header, kHeaderBytes) != kHeaderBytes) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    return true;
}

bool WavFileWriter::Write(const qint16 *samples, qint64 count)
{
    if (count <= 0)
        return true;
    const qint64 bytes = count * 2;
    if (m_dataBytes + bytes > kLargestData) {
        m_error = QStringLiteral("the sound is too long for a WAV file");
        return false;
    }
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "samples are written as they are in memory");
    if (m_file.write(reinterpret_cast<const char *>(samples), bytes) != bytes) {
        m_error = WriteError(kHeaderBytes + m_dataBytes + bytes);
        return false;
    }
    m_dataBytes += bytes;
    return true;
}

bool WavFileWriter::Commit()
{
    if (!m_file.seek(0)) {
        // Going back flushes what was written: a full disk shows here.
        const QString why = m_file.errorString();
        m_file.cancelWriting();
        m_error = WriteError(kHeaderBytes + m_dataBytes, why);
        return false;
    }
    if (!WriteHeader())
        return false;
    QString error;
    if (!WholeFiles::CommitSaveFile(m_file, kHeaderBytes + m_dataBytes, &error)) {
        m_error = QStringLiteral("cannot write ") + error;
        return false;
    }
    return true;
}
