#include "tolvanet-tool/SpeechToolVerbs.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/CommaDecimalSession.h"
#include "tests/common/Recordings.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/SpeechService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

// The verbs against the real engines, heard at the test sound server's null sink.
class TestSpeechToolVerbs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SpeechService m_service;
    AppPaths Paths() { return AppPaths::InDirectory(m_dir.path(), QFileInfo(QStringLiteral(UPCTV_LIBRARY)).path()); }

    static void WriteFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Settings()
    {
        QFile file(Paths().settingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        const QString why = m_service.Start();
        if (!why.isEmpty())
            QFAIL(qPrintable(why));
        const QString dictionary = MakeRecordingsDictionary(m_dir.path());
        QVERIFY2(!dictionary.isEmpty(), "espeak-ng or lame could not make the recordings");
        WriteFile(Paths().settingsFile, DictionarySettings(dictionary));
    }

    void otherVerbsAreNotOurs()
    {
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("calculate"), {}, Paths()), std::nullopt);
    }

    void badArgumentsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no text") << QStringList();
        QTest::newRow("rate out of range") << QStringList({"--rate", "11", "hola"});
        QTest::newRow("rate not a number") << QStringList({"--rate", "fast", "hola"});
        QTest::newRow("voice past the list") << QStringList({"--voice", "100000", "hola"});
        QTest::newRow("voice by an unknown name") << QStringList({"--voice", "UPCTV - Dona", "hola"});
        QTest::newRow("option without value") << QStringList({"--voice"});
    }
    void badArgumentsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("say"), arguments, Paths()), std::optional<int>(2));
    }

    // Every family, and the dictionary's recordings, reach the speakers; say returns
    // once the text has been heard, and leaves the settings as they were.
    void everyFamilyIsHeard_data()
    {
        const int espeak = int(VoiceCatalog::EspeakVoices().size());
        const int sapi = int(VoiceCatalog::SpeechDispatcherVoices().size());
        QTest::addColumn<int>("voice");
        QTest::addColumn<QString>("text");
        QTest::newRow("espeak-ng Catalan") << VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")) << "Hola, bon dia.";
        QTest::newRow("speech-dispatcher") << espeak << "Good morning to you.";
        QTest::newRow("UPCTV Dona - Català") << espeak + sapi + 1 << "Hola, bon dia.";
        QTest::newRow("UPCTV Mujer - Español") << espeak + sapi + 3 << "Buenos días.";
        QTest::newRow("a WAV recording") << 0 << "gat";
        QTest::newRow("an MP3 recording") << 0 << "gos";
    }
    void everyFamilyIsHeard()
    {
        QFETCH(int, voice);
        QFETCH(QString, text);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        const QByteArray before = Settings();
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("say"), {"--voice", QString::number(voice), text}, Paths()),
                 std::optional<int>(0));
        const qint64 returnedAt = monitor.NowMs();
        monitor.Listen(500);
        QVERIFY2(monitor.SoundMs() >= 300, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        QVERIFY2(monitor.LastSoundMs() <= returnedAt + SinkMonitor::kLatencyMs,
                 qPrintable(QStringLiteral("sound %1 ms after say returned").arg(monitor.LastSoundMs() - returnedAt)));
        QCOMPARE(Settings(), before);
    }

    // As a user calls it in a Catalan session: the voice by the name the list shows, in
    // any case, or by a language code.
    void voicesAreChosenByName_data()
    {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("text");
        QTest::newRow("ona by her name") << QStringLiteral("UPCTV - Dona - Català") << "Hola, bon dia a tothom.";
        QTest::newRow("any case") << QStringLiteral("upctv - mujer - español") << "Buenos días a todos.";
        QTest::newRow("espeak-ng by its name") << VoiceCatalog::EspeakVoices().at(
            VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"))).description << "Hola, bon dia.";
        QTest::newRow("a language code") << QStringLiteral("es") << "Buenos días.";
    }
    void voicesAreChosenByName()
    {
        QFETCH(QString, voice);
        QFETCH(QString, text);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QProcess tool;
        tool.setProcessEnvironment(CommaDecimalSession::Environment());
        tool.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", {"say", "--voice", voice, text});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        monitor.Listen(500);
        QVERIFY2(monitor.SoundMs() >= 300, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
    }

    // A festival that makes nothing of the sentence: say fails and says so.
    void aSentenceFestivalRejectsIsNotHeard()
    {
        const QString fake = m_dir.filePath(QStringLiteral("rebutja"));
        QVERIFY(QDir().mkpath(fake));
        WriteFile(fake + QStringLiteral("/festival"), RejectingFestivalScript());
        QVERIFY(QFile::setPermissions(fake + QStringLiteral("/festival"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QProcess tool;
        QProcessEnvironment environment = CommaDecimalSession::Environment();
        environment.insert(QStringLiteral("PATH"), fake + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        tool.setProcessEnvironment(environment);
        tool.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", {"say", "--voice", "UPCTV - Dona - Català", "Hola"});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY2(tool.readAllStandardError().contains("nothing was heard"), "the reason goes to standard error");
    }

    // Without a sound server nothing hangs, and the user is told nothing was heard.
    void withoutASoundServerSayFailsAndSaysWhy_data()
    {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("text");
        QTest::newRow("espeak-ng") << "0" << "hola";
        QTest::newRow("UPCTV") << QString::number(VoiceCatalog::EspeakVoices().size()) << "hola";
    }
    void withoutASoundServerSayFailsAndSaysWhy()
    {
        QFETCH(QString, voice);
        QFETCH(QString, text);
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PULSE_SERVER"), m_dir.filePath(QStringLiteral("no-server")));
        environment.insert(QStringLiteral("SPEECHD_ADDRESS"), "unix_socket:" + m_dir.filePath(QStringLiteral("none.sock")));
        tool.setProcessEnvironment(environment);
        tool.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", {"say", "--voice", voice, text});
        QVERIFY2(tool.waitForFinished(60000), "say must not hang without a sound server");
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY2(tool.readAllStandardError().contains("nothing was heard"), "the reason goes to standard error");
    }

    // Without festival, ona is not heard and say tells what to install, in its own English.
    void withoutFestivalSayTellsWhatToInstall()
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
        tool.setProcessEnvironment(environment);
        const int ona = int(VoiceCatalog::EspeakVoices().size() + VoiceCatalog::SpeechDispatcherVoices().size()) + 1;
        tool.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", {"say", "--voice", QString::number(ona), "hola"});
        QVERIFY(tool.waitForFinished(60000) && tool.exitCode() == 1);
        QVERIFY(tool.readAllStandardError().contains("nothing was heard: The voice UPCTV - Dona - Català needs festival: "
                                                     "install festival festival-ca festvox-ca-ona-hts"));
    }

    // The speech service dies in the middle of a long text: say ends then, and says so.
    void aServiceThatDiesEndsSayAtOnce()
    {
        SpeechService dying;
        const QByteArray address = qgetenv("SPEECHD_ADDRESS");
        const QString why = dying.Start();
        QVERIFY2(why.isEmpty(), qPrintable(why));
        const auto restore = qScopeGuard([&] { qputenv("SPEECHD_ADDRESS", address); });
        QStringList sentences;
        for (int i = 0; i < 40; ++i)
            sentences << QStringLiteral("This is sentence number %1 of a long story.").arg(i);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool",
                   {"say", "--voice", QString::number(VoiceCatalog::EspeakVoices().size()), sentences.join(' ')});
        QVERIFY2(monitor.WaitForSound(30000), "the service never began to speak");
        dying.Stop();
        // Before the end the service could have reached; waiting for it took minutes.
        QVERIFY2(tool.waitForFinished(60000), "say must end when the service dies");
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY2(tool.readAllStandardError().contains("nothing was heard"), "the reason goes to standard error");
    }
};

QTEST_GUILESS_MAIN(TestSpeechToolVerbs)
#include "test_speechtoolverbs.moc"
