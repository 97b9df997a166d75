#include "platform/QtSoundPlayers.h"
#include "sonnerixawav/WavFileWriter.h"
#include "tests/common/SinkMonitor.h"
#include "platform/WorkerThread.h"

#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

namespace {

// Silence, or a 441 Hz square tone, of that length as a 16-bit mono WAV file, written as
// the rendering program writes one.
bool WriteSound(const QString &fileName, int milliseconds, qint16 loudness = 0)
{
    const int rate = 22050;
    QVector<qint16> samples(qsizetype(rate) * milliseconds / 1000, 0);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = (i / 25) % 2 ? loudness : qint16(-loudness);
    WavFileWriter writer(fileName, rate);
    return writer.Open() && writer.Write(samples.constData(), samples.size()) && writer.Commit();
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
        QVERIFY(WriteSound(name, 500));
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

    void asynchronousPlayIsHeardAfterItReturnsAndStops()
    {
        QtMediaPlayer media;
        QVERIFY(!media.Play(false)); // nothing open
        media.Close();

        // Longer than any deadline below: only a stop ends it in time.
        const QString name = m_dir.filePath(QStringLiteral("long.wav"));
        QVERIFY(WriteSound(name, 30000, 8000));
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QtWavePlayer player;
        player.Play(name, false);
        const qint64 returnedAt = monitor.NowMs();
        QVERIFY2(monitor.WaitForSound(10000), "the tone is not heard");
        monitor.Listen(300);
        QVERIFY2(monitor.LastSoundMs() > returnedAt + SinkMonitor::kLatencyMs, "the play returned only once it ended");
        player.Stop();
        QVERIFY2(monitor.WaitForSilence(500, 15000), "the tone goes on after the stop");
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

    // The sound server goes away between two readings and comes back (PipeWire
    // restarted by the desktop): the reading after it is heard, from the same output.
    void aRestartedSoundServerIsHeardAtTheNextReading()
    {
        QtPcmOutput output;
        if (!output.Audible())
            QFAIL("no sound device (test.sh starts a sound server)");
        const QVector<int16_t> tone = [] {
            QVector<int16_t> samples(22050 / 2);
            for (qsizetype i = 0; i < samples.size(); ++i)
                samples[i] = (i / 25) % 2 ? 8000 : -8000;
            return samples;
        }();
        auto heard = [&] {
            SinkMonitor monitor;
            if (!monitor.Start())
                return qint64(-1);
            output.Begin(22050);
            output.Write(tone.constData(), int(tone.size()));
            output.End();
            if (!output.WaitFinished(5000))
                return qint64(-2);
            monitor.WaitForSound(3000);
            monitor.WaitForSilence(200, 3000);
            return monitor.SoundMs();
        };
        QVERIFY2(heard() >= 300, "the first reading was not heard");

        const QString script = qEnvironmentVariable("TOLVANET_SOURCE_DIR") + "/scripts/sound-server.sh";
        QProcess restart;
        restart.setProcessChannelMode(QProcess::ForwardedChannels);
        restart.start(script, {QStringLiteral("restart")});
        QVERIFY(restart.waitForFinished(30000));
        QCOMPARE(restart.exitCode(), 0);
        QVERIFY2(SinkMonitor::Unavailable().isEmpty(), qPrintable(SinkMonitor::Unavailable()));

        // The output learns that its server went away as it begins; the next one is heard.
        const qint64 second = heard();
        QVERIFY2(second >= 300, qPrintable(QStringLiteral("the reading after the restart: %1 ms heard").arg(second)));
    }
};

QTEST_MAIN(TestPlayers)
#include "test_players.moc"
