#pragma once

#include <QSaveFile>
#include <QString>

// Streams 16-bit mono PCM samples into a WAV file that appears only when complete.
class WavFileWriter
{
public:
    WavFileWriter(const QString &path, int sampleRate);

    bool Open();
    bool Write(const qint16 *samples, qint64 count);
    // Fixes the header and replaces the file; false (see Error) on failure.
    bool Commit();
    // Leaves any earlier file of that name as it was.
    void Cancel() { m_file.cancelWriting(); }
    QString Error() const { return m_error; }
    qint64 SampleCount() const { return m_dataBytes / 2; }

private:
    QString WriteError(qint64 bytesNeeded, const QString &why = QString()) const;
    bool WriteHeader();

    QSaveFile m_file;
    int m_sampleRate;
    qint64 m_dataBytes = 0;
    QString m_error;
};
