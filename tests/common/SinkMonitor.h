#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

// Listens to the test sound server's null sink, where everything the program plays
// ends up, as a person at the speakers would: what is recorded from its monitor is
// cut into 10 ms blocks, and a block is sound when it is louder than a whisper. Times
// are milliseconds of the wall clock since Start: the monitor sends nothing while the
// sink is idle, so the recording itself is no clock.

class SinkMonitor
{
public:
    static constexpr int kRate = 16000;
    static constexpr int kBlock = kRate / 100;
    // How far the recording may lag behind the speakers.
    static constexpr int kLatencyMs = 60;
    static constexpr double kLoud = 100;

    // Milliseconds of sound in samples, measured as the recording is.
    static qint64 SoundMsOfSamples(const QVector<qint16> &samples, int sampleRate)
    {
        const int block = sampleRate / 100;
        qint64 loud = 0;
        for (qsizetype at = 0; at + block <= samples.size(); at += block)
            loud += Loud(samples.constData() + at, block) ? 10 : 0;
        return loud;
    }
    // The same for a 16-bit mono WAV file with a plain 44-byte header.
    static qint64 SoundMsOfWav(const QString &fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray bytes = file.readAll();
        if (bytes.size() < 44)
            return -1;
        const int rate = qFromLittleEndian<qint32>(bytes.constData() + 24);
        QVector<qint16> samples((bytes.size() - 44) / 2);
        memcpy(samples.data(), bytes.constData() + 44, size_t(samples.size()) * 2);
        return SoundMsOfSamples(samples, rate);
    }

    SinkMonitor() = default;
    SinkMonitor(const SinkMonitor &) = delete;
    ~SinkMonitor() { Stop(); }

    // Why nothing can be heard here; empty when the server is there.
    static QString Unavailable()
    {
        QProcess info;
        info.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
        if (!info.waitForFinished(5000) || info.exitCode() != 0)
            return QStringLiteral("no sound server answers (pactl)");
        if (!info.readAllStandardOutput().contains("nullsink"))
            return QStringLiteral("the sound server has no null sink");
        return QString();
    }

    // Starts recording; false when there is no server to record from.
    bool Start()
    {
        m_recorder.setProgram(QStringLiteral("parec"));
        m_recorder.setArguments({QStringLiteral("-d"), QStringLiteral("nullsink.monitor"), QStringLiteral("--raw"),
                                 QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                                 QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--latency-msec=10")});
        // Connected before any spy, so that the blocks are counted when a spy wakes.
        QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput, [this] { Read(); });
        m_clock.start();
        m_recorder.start();
        return m_recorder.waitForStarted(5000);
    }

    void Stop()
    {
        if (m_recorder.state() == QProcess::NotRunning)
            return;
        m_recorder.terminate();
        if (!m_recorder.waitForFinished(3000))
            m_recorder.kill();
    }

    // The position reached, in milliseconds of recording (what has arrived by now,
    // even while the caller kept the event loop waiting).
    qint64 NowMs()
    {
        while (m_recorder.waitForReadyRead(0)) {
        }
        return m_clock.elapsed();
    }
    // Forgets what was heard so far.
    void Clear() { m_from = m_blocks.size(); }
    // Milliseconds of sound since the last Clear.
    qint64 SoundMs() const
    {
        qint64 loud = 0;
        for (qsizetype i = m_from; i < m_blocks.size(); ++i)
            loud += m_blocks.at(i).loud ? 10 : 0;
        return loud;
    }
    // Where the first and the last sound since the last Clear were heard; -1 for none.
    qint64 FirstSoundMs() const
    {
        for (qsizetype i = m_from; i < m_blocks.size(); ++i) {
            if (m_blocks.at(i).loud)
                return m_blocks.at(i).ms;
        }
        return -1;
    }
    qint64 LastSoundMs() const
    {
        for (qsizetype i = m_blocks.size() - 1; i >= m_from; --i) {
            if (m_blocks.at(i).loud)
                return m_blocks.at(i).ms;
        }
        return -1;
    }
    // Waits for sound since the last Clear.
    bool WaitForSound(int timeoutMs)
    {
        return WaitUntil(timeoutMs, [this] { return FirstSoundMs() >= 0; });
    }
    // Waits until nothing has been heard for quietMs after at least one block.
    bool WaitForSilence(int quietMs, int timeoutMs)
    {
        const qint64 since = m_clock.elapsed();
        return WaitUntil(timeoutMs, [this, quietMs, since] {
            return m_clock.elapsed() - qMax(LastSoundMs(), since) >= quietMs;
        });
    }
    // Goes on listening for waitMs: silence, or the end of a sound, can only be heard
    // by listening for a while (the monitor sends nothing to wait on while all is quiet).
    void Listen(int waitMs)
    {
        const qint64 until = m_clock.elapsed() + waitMs;
        WaitUntil(waitMs, [this, until] { return m_clock.elapsed() >= until; });
    }

private:
    template <typename Done>
    bool WaitUntil(int timeoutMs, Done done)
    {
        QElapsedTimer clock;
        clock.start();
        QSignalSpy arrived(&m_recorder, &QProcess::readyReadStandardOutput);
        while (!done()) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0)
                return false;
            arrived.wait(int(qMin<qint64>(left, 500)));
        }
        return true;
    }

    void Read()
    {
        m_pending += m_recorder.readAllStandardOutput();
        const qsizetype blockBytes = kBlock * 2;
        const qint64 now = m_clock.elapsed();
        qint64 ms = now - 10 * (m_pending.size() / blockBytes);
        qsizetype at = 0;
        for (; at + blockBytes <= m_pending.size(); at += blockBytes) {
            ms += 10;
            m_blocks.append({ms, Loud(reinterpret_cast<const qint16 *>(m_pending.constData() + at), kBlock)});
        }
        m_pending.remove(0, at);
    }

    static bool Loud(const qint16 *samples, int count)
    {
        double sum = 0;
        for (int i = 0; i < count; ++i)
            sum += double(samples[i]) * samples[i];
        return std::sqrt(sum / count) > kLoud;
    }

    struct Block
    {
        qint64 ms;
        bool loud;
    };

    QProcess m_recorder;
    QElapsedTimer m_clock;
    QByteArray m_pending;
    QList<Block> m_blocks;
    qsizetype m_from = 0;
};

// Starts the monitor in a test. Every machine can have the test run's sound server
// (test.sh starts it): without it the test fails and says how to get it.
#define START_LISTENING(monitor)                                                                     \
    do {                                                                                             \
        const QString why = SinkMonitor::Unavailable();                                              \
        if (!why.isEmpty())                                                                          \
            QFAIL(qPrintable(QStringLiteral("no sound server to listen to (test.sh starts one): ") + why)); \
        QVERIFY2((monitor).Start(), "parec cannot record the null sink's monitor");                 \
    } while (false)
