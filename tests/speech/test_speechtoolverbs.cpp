#include "platform/QtSoundPlayers.h"
#include "speech/SpeechToolVerbs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The verbs against the real engines; speech-dispatcher is pointed at a socket that
// does not exist, so only espeak-ng and the library are there.
class TestSpeechToolVerbs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    AppPaths Paths() { return AppPaths::InDirectory(m_dir.path(), QFileInfo(QStringLiteral(UPCTV_LIBRARY)).path()); }

private slots:
    void initTestCase() { qputenv("SPEECHD_ADDRESS", "unix_socket:" + m_dir.filePath("none.sock").toLocal8Bit()); }

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
        QTest::newRow("option without value") << QStringList({"--voice"});
    }
    void badArgumentsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("say"), arguments, Paths()), std::optional<int>(2));
    }

    void voicesListsAndSaySpeaksWithoutTouchingTheSettings()
    {
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("voices"), {}, Paths()), std::optional<int>(0));
        QFile settings(Paths().settingsFile);
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[tts]\r\nNumero sintetitzador=3\r\nvelocitat=2\r\n");
        settings.close();
        const QByteArray before = [&] { QFile f(Paths().settingsFile); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QElapsedTimer clock;
        clock.start();
        // Without a sound device nothing is heard, and the status says so.
        const int heard = QtPcmOutput().Audible() ? 0 : 1;
        QCOMPARE(RunSpeechToolVerb(QStringLiteral("say"), {"--voice", "0", "--rate", "-3", "-w", "hola"}, Paths()),
                 std::optional<int>(heard));
        QVERIFY(clock.elapsed() < 10000);
        QFile after(Paths().settingsFile);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(TestSpeechToolVerbs)
#include "test_speechtoolverbs.moc"
