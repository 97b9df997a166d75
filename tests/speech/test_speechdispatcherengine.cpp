#include "speech/SpeechDispatcherEngine.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestSpeechDispatcherEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SpeechDispatcherEngine> m_engine;
    QTemporaryDir m_run;
    QProcess m_server;

private slots:
    // A service of our own, so that the test neither depends on nor disturbs the
    // desktop's one.
    void initTestCase()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher"));
        if (program.isEmpty())
            QSKIP("speech-dispatcher is not installed");
        const QString socket = m_run.filePath(QStringLiteral("speechd.sock"));
        QDir().mkpath(m_run.filePath(QStringLiteral("log")));
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(program, {"-s", "-t", "60", "-c", "unix_socket", "-S", socket, "-P",
                                 m_run.filePath(QStringLiteral("pid")), "-L", m_run.filePath(QStringLiteral("log"))});
        if (!m_server.waitForStarted(5000))
            QSKIP("speech-dispatcher cannot be started");
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(socket) && clock.elapsed() < 5000)
            QTest::qWait(50);
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
        m_engine = SpeechDispatcherEngine::Create();
        if (!m_engine)
            QSKIP("speech-dispatcher cannot be reached on this machine");
    }

    void voicesComeFromModulesOtherThanEspeak()
    {
        if (m_engine->VoiceCount() == 0)
            QSKIP("speech-dispatcher offers no voice outside espeak-ng here");
        for (int i = 0; i < m_engine->VoiceCount(); ++i)
            QVERIFY(!m_engine->VoiceDescription(i)->contains(QLatin1String("espeak")));
        QVERIFY(!m_engine->VoiceDescription(m_engine->VoiceCount()));
        QVERIFY(m_engine->SelectVoice(0));
        QVERIFY(!m_engine->SelectVoice(-1));
        QVERIFY(m_engine->SetRate(10));
        QVERIFY(m_engine->SetRate(0));
    }

    void waitEndsOnEndOrCancelAndTheGuiThreadHearsOfIt()
    {
        if (m_engine->VoiceCount() == 0)
            QSKIP("speech-dispatcher offers no voice outside espeak-ng here");
        m_engine->SelectVoice(0);
        QSignalSpy ended(m_engine.get(), &SpeechDispatcherEngine::speechEnded);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(m_engine->Speak(QStringLiteral("Hello there.")));
        QVERIFY(clock.elapsed() < 1000);
        const bool heard = m_engine->WaitUntilDone();
        QVERIFY(clock.elapsed() < 10000);
        if (!heard)
            QSKIP("speech-dispatcher cannot play here (no sound device): the wait gave up in time");
        QTRY_VERIFY(ended.count() >= 1);

        QVERIFY(m_engine->Speak(QString(4000, QLatin1Char('a')) + QStringLiteral(" and some more words.")));
        QTest::qWait(100);
        clock.restart();
        QVERIFY(m_engine->Skip());
        QVERIFY(m_engine->WaitUntilDone());
        QVERIFY(clock.elapsed() < 1000);
    }

    void cleanupTestCase()
    {
        m_engine.reset();
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill(); // a server whose module hangs ignores a polite request
            m_server.waitForFinished(3000);
        }
    }

    void emptyAndControlTextsDoNotHang()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(m_engine->Speak(QString()));
        QVERIFY(m_engine->WaitUntilDone());
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(m_engine->Speak(QStringLiteral("\r\n.\r\n\x01\x1b")));
        m_engine->Skip();
        QVERIFY(m_engine->WaitUntilDone());
    }
};

QTEST_GUILESS_MAIN(TestSpeechDispatcherEngine)
#include "test_speechdispatcherengine.moc"
