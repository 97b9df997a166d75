#include "platform/QtSoundPlayers.h"
#include "platform/WorkerThread.h"

#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>

namespace {

// A second of silence as a 16-bit mono WAV file.
bool WriteSilence(const QString &fileName, int milliseconds)
{
    const quint32 rate = 22050;
    const quint32 bytes = rate * 2 * quint32(milliseconds) / 1000;
    QByteArray data("RIFF");
    auto le32 = [&data](quint32 v) { char b[4]; qToLittleEndian(v, b); data.append(b, 4); };
    auto le16 = [&data](quint16 v) { char b[2]; qToLittleEndian(v, b); data.append(b, 2); };
    le32(36 + bytes);
    data.append("WAVEfmt ");
    le32(16); le16(1); le16(1); le32(rate); le32(rate * 2); le16(2); le16(16);
    data.append("data");
    le32(bytes);
    data.append(QByteArray(int(bytes), '\0'));
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestPlayers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void synchronousWaveEndsWithinItsDurationAndMargin()
    {
        const QString name = m_dir.filePath(QStringLiteral("silence.wav"));
        QVERIFY(WriteSilence(name, 500));
        QtWavePlayer player;
        QElapsedTimer clock;
        clock.start();
        const bool ended = player.Play(name, true);
        QVERIFY2(clock.elapsed() < 12500, "a synchronous play must end by the file's duration plus a margin");
        if (QMediaDevices::audioOutputs().isEmpty())
            QSKIP("no sound device on this machine: only the bounded wait is checked");
        QVERIFY(ended);
        QVERIFY(clock.elapsed() >= 400);
    }

    void missingAndBrokenFilesReturnAtOnce()
    {
        QtWavePlayer wave;
        QElapsedTimer clock;
        clock.start();
        wave.Play(m_dir.filePath(QStringLiteral("absent.wav")), true);
        const QString broken = m_dir.filePath(QStringLiteral("broken.mp3"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no sound");
        file.close();
        QtMediaPlayer media;
        media.Close();
        QVERIFY(media.Open(broken) || true);
        media.Play(true);
        QVERIFY(clock.elapsed() < 12500);
    }

    void asynchronousPlayReturnsAndStops()
    {
        const QString name = m_dir.filePath(QStringLiteral("long.wav"));
        QVERIFY(WriteSilence(name, 3000));
        QtWavePlayer player;
        QElapsedTimer clock;
        clock.start();
        player.Play(name, false);
        QVERIFY(clock.elapsed() < 1000);
        player.Stop();
        QtMediaPlayer media;
        QVERIFY(!media.Play(false)); // nothing open
        media.Close();
    }

    void sampleStreamWithoutDeviceDropsEverything()
    {
        QtPcmOutput output;
        if (output.Audible())
            QSKIP("this machine has a sound device");
        output.Begin(22050);
        const int16_t samples[4] = {1, 2, 3, 4};
        QVERIFY(output.Write(samples, 4));
        output.End();
        QVERIFY(output.WaitFinished(10));
        output.Begin(22050);
        output.Flush();
        QVERIFY(!output.Write(samples, 4));
    }

    // A long text renders far faster than it is heard: the writer is held once much
    // sound waits (or a book read aloud would fill the memory), and a flush lets it go.
    void aWriterFarAheadOfTheSoundIsHeld()
    {
        QtPcmOutput output;
        if (!output.Audible())
            QFAIL("no sound device (test.sh starts a sound server)");
        output.Begin(22050);
        const QVector<int16_t> second(22050, 0);
        const int seconds = 3 * QtPcmOutput::kMostQueuedSeconds;
        std::atomic<int> written = 0;
        std::atomic<bool> done = false;
        std::atomic<bool> accepted = true;
        WorkerThread writer(QStringLiteral("writer"));
        writer.Post([&] {
            while (written < seconds && accepted) {
                accepted = output.Write(second.constData(), int(second.size()));
                ++written;
            }
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(written > QtPcmOutput::kMostQueuedSeconds, 10000);
        QVERIFY2(!done, "all the sound was taken at once");
        QVERIFY(written < seconds);
        output.Flush();
        QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
        QVERIFY(!accepted);
        QVERIFY(writer.Stop(std::chrono::milliseconds(1000)));
    }
};

QTEST_MAIN(TestPlayers)
#include "test_players.moc"
