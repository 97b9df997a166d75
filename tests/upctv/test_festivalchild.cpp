// The synthesizer library against a festival that misbehaves, and an espeak-ng that
// ends on its own: stand-ins first on the PATH answer what each test wants.
#include "engines/UpctvLoader.h"
#include "tests/common/SinkMonitor.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <signal.h>

#include <atomic>
#include <thread>

namespace {

constexpr int kCatalan = 99;
constexpr int kWoman = 2;
constexpr int kSpanish = 101;

} // namespace

class TestFestivalChild : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
    QString Starts() const { return m_dir.filePath(QStringLiteral("starts")); }
    QString SignalsFile() const { return m_dir.filePath(QStringLiteral("signals")); }
    // What the stand-in festivals started from now on do.
    void FestivalDoes(const QByteArray &mode)
    {
        QFile file(m_dir.filePath(QStringLiteral("mode")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(mode);
    }

    // ona chosen in the real library, with festival being the stand-in.
    void ChooseOna(DlopenUpctvLibrary &library)
    {
        QVERIFY(library.Load());
        QVERIFY(library.SetLanguage(kCatalan));
        QVERIFY(library.SetSpeaker(kWoman));
    }
    QStringList StartedFestivals()
    {
        QFile starts(Starts());
        return starts.open(QIODevice::ReadOnly) ? QString::fromLatin1(starts.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                                : QStringList();
    }
    void WriteScript(const QString &name, const QByteArray &body)
    {
        QFile file(m_dir.filePath(QStringLiteral("bin/") + name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/bin/sh\n" + body);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(QStringLiteral("/usr/share/festival/voices/catalan/upc_ca_ona_hts/festvox/upc_ca_ona_hts.scm")),
                 "festival's Catalan voice ona is not installed");
        QDir().mkpath(m_dir.filePath(QStringLiteral("bin")));
        QVERIFY(QFile::link(QStringLiteral(FAKE_FESTIVAL), m_dir.filePath(QStringLiteral("bin/festival"))));
        m_path = qgetenv("PATH");
        qputenv("PATH", m_dir.filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
        // The environment is set once, before the library's threads start children.
        qputenv("TOLVANET_FAKE_FESTIVAL_STARTS", Starts().toLocal8Bit());
        qputenv("TOLVANET_FAKE_FESTIVAL", m_dir.filePath(QStringLiteral("mode")).toLocal8Bit());
        qputenv("TOLVANET_FAKE_FESTIVAL_SIGNALS", SignalsFile().toLocal8Bit());
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }
    void init()
    {
        QFile::remove(Starts());
        QFile::remove(SignalsFile());
        FestivalDoes("speak");
    }

    // A data chunk that claims nearly 4 GB wrapped the buffer's size and was read past
    // it; now it fails that sentence, in a reading and in a recording, and a wave that
    // holds what it claims is still heard.
    void aWaveThatClaimsMoreThanItHoldsFails()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        FestivalDoes("hugechunk");
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        ChooseOna(library);
        QVERIFY(library.Read("Bon dia."));
        QTRY_COMPARE_WITH_TIMEOUT(library.Status(0), std::optional<int>(0), 15000);
        QVERIFY(!library.Heard());

        void *handle = dlopen(UPCTV_LIBRARY, RTLD_NOW);
        QVERIFY(handle);
        using Render = int (*)(const char *, const char *, const char *, void *, void *, void *);
        const auto render = reinterpret_cast<Render>(dlsym(handle, "upcTVRenderFestival"));
        QVERIFY(render);
        const QByteArray wave = m_dir.filePath(QStringLiteral("out.wav")).toLocal8Bit();
        QCOMPARE(render("kal_diphone", "Bon dia.", wave.constData(), nullptr, nullptr, nullptr), -1);

        FestivalDoes("speak");
        QCOMPARE(render("kal_diphone", "Bon dia.", wave.constData(), nullptr, nullptr, nullptr), 0);
        QCOMPARE(QFileInfo(QString::fromLocal8Bit(wave)).size(), 44 + 16000);
        dlclose(handle);
        monitor.Clear();
        QVERIFY(library.Read("Bona nit."));
        QTRY_COMPARE_WITH_TIMEOUT(library.Status(0), std::optional<int>(0), 15000);
        QVERIFY(library.Heard());
        QVERIFY(monitor.WaitForSound(5000));
        library.Unload();
    }

    // The library's threads block SIGPIPE; festival itself starts as from a shell.
    void festivalStartsWithNoSignalBlockedOrIgnored()
    {
        const QString signalsFile = SignalsFile();
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        ChooseOna(library);
        QVERIFY(library.Read("Hola."));
        QTRY_VERIFY(QFileInfo(signalsFile).size() > 0);
        library.Unload();
        QFile file(signalsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray masks = file.readAll();
        QVERIFY2(masks.contains("SigBlk:\t0000000000000000"), masks.constData());
        const QByteArray ignored = masks.mid(masks.indexOf("SigIgn:") + 7).trimmed();
        QVERIFY2((ignored.toULongLong(nullptr, 16) & (1ull << (SIGPIPE - 1))) == 0, masks.constData());
    }

    // Esc while festival starts (up to 20 s) or never answers (up to 15 s) returns at
    // once, and the next reading is heard without waiting for that festival.
    void stoppingNeverWaitsForFestival_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::newRow("slow to start") << QByteArray("slowstart");
        QTest::newRow("never answers") << QByteArray("mute");
    }
    void stoppingNeverWaitsForFestival()
    {
        QFETCH(QByteArray, mode);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        FestivalDoes(mode);
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        ChooseOna(library);
        // First while the festival started ahead of the reading is awaited, then while the
        // reading's own one starts or is asked.
        for (int started = 1; started <= 2; ++started) {
            QVERIFY(library.Read("Bon dia a tothom."));
            QTRY_COMPARE(StartedFestivals().size(), started);
            QCOMPARE(library.Status(0), std::optional<int>(1));
            std::atomic<bool> stopped{false};
            std::thread stop([&] {
                library.Stop();
                stopped = true;
            });
            QTRY_VERIFY_WITH_TIMEOUT(stopped, 3000);
            stop.join();
            QCOMPARE(library.Status(0), std::optional<int>(0));
        }

        FestivalDoes("speak");
        monitor.Clear();
        QVERIFY(library.Read("Bona nit."));
        QTRY_COMPARE_WITH_TIMEOUT(library.Status(0), std::optional<int>(0), 8000);
        QVERIFY(library.Heard());
        QVERIFY(monitor.WaitForSound(5000));
        QCOMPARE(StartedFestivals().size(), 3);
        library.Unload();
    }

    // A status question only reads: an espeak-ng that ends is reaped without one, and the
    // questions keep their answers (one that complained was not heard).
    void statusQuestionsOnlyRead_data()
    {
        QTest::addColumn<QByteArray>("says");
        QTest::addColumn<bool>("heard");
        QTest::newRow("quiet") << QByteArray() << true;
        QTest::newRow("no sound device") << QByteArray("echo 'cannot open audio device' >&2\n") << false;
    }
    void statusQuestionsOnlyRead()
    {
        QFETCH(QByteArray, says);
        QFETCH(bool, heard);
        const QString pidFile = m_dir.filePath(QStringLiteral("espeak.pid"));
        QFile::remove(pidFile);
        WriteScript(QStringLiteral("espeak-ng"), "echo $$ > '" + pidFile.toLocal8Bit() + "'\ncat > /dev/null\n" + says);
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        QVERIFY(library.Load());
        QVERIFY(library.SetLanguage(kSpanish));
        QVERIFY(library.Read("Hola."));
        QTRY_VERIFY(QFileInfo(pidFile).size() > 0);
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString proc = QStringLiteral("/proc/") + QString::fromLatin1(file.readAll().trimmed());
        QTRY_VERIFY(!QFileInfo::exists(proc));
        QCOMPARE(library.Status(0), std::optional<int>(0));
        QCOMPARE(library.Heard(), heard);
        library.Unload();
        QFile::remove(m_dir.filePath(QStringLiteral("bin/espeak-ng")));
    }
};

QTEST_GUILESS_MAIN(TestFestivalChild)
#include "test_festivalchild.moc"
