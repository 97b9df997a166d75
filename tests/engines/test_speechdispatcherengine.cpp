#include "engines/SpeechDispatcherEngine.h"
#include "tests/common/SilentSpeechService.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/SpeechService.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestSpeechDispatcherEngine : public QObject
{
    Q_OBJECT

private:
    SpeechService m_service;
    std::unique_ptr<SpeechDispatcherEngine> m_engine;

private slots:
    // A service of our own, so that the test neither depends on nor disturbs the
    // desktop's one.
    void initTestCase()
    {
        const QString why = m_service.Start();
        if (!why.isEmpty())
            QFAIL(qPrintable(why));
        m_engine = SpeechDispatcherEngine::Create();
        if (!m_engine)
            QFAIL("speech-dispatcher cannot be reached");
    }

    void voicesComeFromModulesOtherThanEspeak()
    {
        if (m_engine->VoiceCount() == 0)
            QFAIL("speech-dispatcher offers no voice outside espeak-ng (is speech-dispatcher-flite installed?)");
        for (int i = 0; i < m_engine->VoiceCount(); ++i)
            QVERIFY(!m_engine->VoiceDescription(i)->contains(QLatin1String("espeak")));
        QVERIFY(!m_engine->VoiceDescription(m_engine->VoiceCount()));
        QVERIFY(m_engine->SelectVoice(0));
        QVERIFY(!m_engine->SelectVoice(-1));
        QVERIFY(m_engine->SetRate(10));
        QVERIFY(m_engine->SetRate(0));
    }

    void textsAreHeardInTurnAndSkipSilencesThem()
    {
        if (m_engine->VoiceCount() == 0)
            QFAIL("speech-dispatcher offers no voice outside espeak-ng (is speech-dispatcher-flite installed?)");
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QVERIFY(m_engine->SelectVoice(0));
        QVERIFY(m_engine->Speak(QStringLiteral("Hello there.")));
        QVERIFY(m_engine->WaitUntilDone());
        // What the recording still holds comes in late on a loaded machine: wait for the quiet.
        QVERIFY(monitor.WaitForSilence(300, 10000));
        const qint64 alone = monitor.SoundMs();
        QVERIFY2(alone > 0, "speech-dispatcher's voice is not heard");

        monitor.Clear();
        QVERIFY(m_engine->Speak(QStringLiteral("Hello there.")));
        QVERIFY(m_engine->Speak(QString()));
        QVERIFY(m_engine->Speak(QStringLiteral("This sentence waits for the first one.")));
        const qint64 queuedAt = monitor.NowMs();
        QVERIFY(m_engine->WaitUntilDone());
        const qint64 returnedAt = monitor.NowMs();
        QVERIFY(monitor.WaitForSilence(500, 10000));
        // Both were heard, one after the other: the second did not cut the first.
        QVERIFY2(monitor.SoundMs() > alone * 2,
                 qPrintable(QStringLiteral("heard %1 ms, the first alone %2 ms").arg(monitor.SoundMs()).arg(alone)));
        QVERIFY(monitor.LastSoundMs() <= returnedAt + SinkMonitor::kLatencyMs);
        // Speak did not wait for the service to speak: the texts were heard after it returned.
        QVERIFY2(monitor.LastSoundMs() > queuedAt, "Speak waited for the service to speak");

        monitor.Clear();
        QVERIFY(m_engine->Speak(QStringLiteral("And some more words, many of them, said one after the other, until the stop.")));
        QVERIFY(monitor.WaitForSound(10000));
        const qint64 stoppedAt = monitor.NowMs();
        QVERIFY(m_engine->Skip());
        QVERIFY(m_engine->WaitUntilDone());
        monitor.Listen(1000);
        // The service silences its module through the sound server: allow it a little.
        QVERIFY2(monitor.LastSoundMs() <= stoppedAt + 300,
                 qPrintable(QStringLiteral("sound %1 ms after the stop").arg(monitor.LastSoundMs() - stoppedAt)));
    }

    // A service that stops answering leaves calls that time out and jobs that finish
    // long after: nothing hangs, and nothing they touch is gone (run under ASan).
    void aServiceThatHangsNeverHangsUs()
    {
        QTemporaryDir dir;
        const QByteArray address = qgetenv("SPEECHD_ADDRESS");
        const QString socket = dir.filePath(QStringLiteral("silent.sock"));
        SilentSpeechService silent(socket);
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
        {
            auto engine = SpeechDispatcherEngine::Create(3000);
            QVERIFY(engine);
            QCOMPARE(engine->VoiceCount(), 1);
            silent.FallSilent();
            QVERIFY(!engine->SelectVoice(0));
            QVERIFY(!engine->SetRate(3));
            QVERIFY(!engine->Speak(QStringLiteral("hola")));
            QVERIFY(!engine->WaitUntilDone());
            QVERIFY(!engine->Skip());
        } // the engine is gone while its request is still waiting
        // A service that never answers at all is not found. A call that waited without
        // a limit would hang here, and the test's watchdog would fail it.
        QVERIFY(!SpeechDispatcherEngine::Create(1000));
        // The late answers now come back (as errors) into state their jobs own.
        silent.Close();
        qputenv("SPEECHD_ADDRESS", address);
    }

    void cleanupTestCase()
    {
        m_engine.reset();
        m_service.Stop();
    }

    void emptyAndControlTextsDoNotHang()
    {
        QVERIFY(m_engine->Speak(QString()));
        QVERIFY(m_engine->WaitUntilDone());
        QVERIFY(m_engine->Speak(QStringLiteral("\r\n.\r\n\x01\x1b")));
        m_engine->Skip();
        QVERIFY(m_engine->WaitUntilDone());
    }
};

QTEST_GUILESS_MAIN(TestSpeechDispatcherEngine)
#include "test_speechdispatcherengine.moc"
