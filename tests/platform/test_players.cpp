#include "platform/QtSoundPlayers.h"
#include "sonnerixawav/WavFileWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Silence of that length as a 16-bit mono WAV file, written as the rendering program writes one.
bool WriteSilence(const QString &fileName, int milliseconds)
{
    const int rate = 22050;
    const QVector<qint16> silence(qsizetype(rate) * milliseconds / 1000, 0);
    WavFileWriter writer(fileName, rate);
    return writer.Open() && writer.Write(silence.constData(), silence.size()) && writer.Commit();
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
};

QTEST_MAIN(TestPlayers)
#include "test_players.moc"
