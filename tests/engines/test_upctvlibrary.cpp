#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "engines/UpctvEngine.h"
#include "engines/UpctvLoader.h"
#include "export/AudioExportProtocol.h"
#include "speech/SpeakPreparation.h"
#include "tests/common/CommaDecimalSession.h"
#include "tests/common/SinkMonitor.h"
#include "tests/fakes/FakeSpeechEngines.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

namespace {

// The real library behind the speech controller, as the editor speaks with it.
struct RealLibrarySpeech
{
    explicit RealLibrarySpeech(const QString &settingsFile) : settings(settingsFile) {}
    static SpeechEngineSet Only(UpctvEngine *upctv)
    {
        SpeechEngineSet engines;
        engines.upctv = upctv;
        return engines;
    }
    DlopenUpctvLibrary library{{QStringLiteral(UPCTV_LIBRARY)}};
    SettingsStore settings;
    UpctvEngine voices{&library, nullptr, SpeakPreparation::UpctvLibraryText};
    SpeechEngineSet engines = Only(&voices);
    SpeechController controller{settings, engines, nullptr};
};

// Ends the festival processes this test's threads started, as if they had died.
void KillOurFestivals()
{
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (list.open(QIODevice::ReadOnly))
            for (const QByteArray &pid : list.readAll().split(' '))
                if (pid.trimmed().toInt() > 0)
                    kill(pid.trimmed().toInt(), SIGKILL);
    }
}

} // namespace

class TestUpctvLibrary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Log() { return m_dir.filePath(QStringLiteral("calls.log")); }
    QStringList Calls()
    {
        QFile file(Log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        file.close();
        QFile::remove(Log());
        return lines;
    }

private slots:
    void init()
    {
        qputenv("TOLVANET_UPCTV_LOG", Log().toLocal8Bit());
        qputenv("TOLVANET_UPCTV_BUSY", "0");
        QFile::remove(Log());
        QFile::remove(m_dir.filePath(QStringLiteral("tolvanet.ini")));
    }

    void missingLibraryLeavesTheFamilyOut()
    {
        DlopenUpctvLibrary library({m_dir.filePath(QStringLiteral("libupctv.so"))});
        QVERIFY(!library.Load());
        QVERIFY(!library.Stop());
        QVERIFY(!library.Status(0));
        QStringList log;
        SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        SpeechEngineSet engines;
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        engines.upctv = &voices;
        SpeechController controller(settings, engines, nullptr);
        controller.SetUp();
        QVERIFY(!controller.UpctvLoaded());
        QVERIFY(controller.VoiceEntries().isEmpty());
    }

    void callsReachTheLoadedLibraryInOrder()
    {
        DlopenUpctvLibrary library({m_dir.filePath(QStringLiteral("absent.so")), QStringLiteral(UPCTV_RECORDER)});
        SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        settings.WriteString("tts", "Numero sintetitzador", "2");
        settings.WriteString("tts", "velocitat", "1");
        SpeechEngineSet engines;
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        engines.upctv = &voices;
        {
            SpeechController controller(settings, engines, nullptr);
            controller.SetUp();
            QCOMPARE(controller.VoiceEntries().size(), 4);
            QCOMPARE(Calls(), QStringList({"load", "speed:100", "stop", "unload", "load", "speed:100",
                                           "language:101", "speaker:1", "status:2", "speed:100", "speed:115"}));
            qputenv("TOLVANET_UPCTV_BUSY", "2");
            controller.SpeakText(QStringLiteral("Sí, SENYOR"));
            // The last status asks whether the reading was heard.
            QCOMPARE(Calls(), QStringList({"status:2", "stop", QString::fromLatin1("read:s\xed, senyor "), "status:0",
                                           "status:0", "status:0", "status:1"}));
        }
        QCOMPARE(Calls(), QStringList({"unload"}));
    }

    void missingEntryPointsAreSkipped()
    {
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_RECORDER_PARTIAL)});
        SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        SpeechEngineSet engines;
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        engines.upctv = &voices;
        SpeechController controller(settings, engines, nullptr);
        {
            // The first run of a Catalan session would choose a voice of the library at once.
            const QByteArray session = qgetenv("LC_ALL");
            qputenv("LC_ALL", "C.UTF-8");
            controller.SetUp();
            qputenv("LC_ALL", session);
        }
        controller.SetSelectedIndex(1);
        controller.SelectVoice();
        controller.SpeakTextAndWait(QStringLiteral("hola"));
        controller.StopSpeech();
        QCOMPARE(Calls(), QStringList({"load", "speed:100", "speed:100", "unload", "load", "speed:100", "language:99",
                                       "speaker:2", "speed:100", "read:hola "}));
        // Without the entry that tells the word heard, no voice of it tells words.
        QVERIFY(!voices.VoiceTellsWords(1));
    }

    // A library that does not load again when the voice changes leaves the family
    // without voices, instead of saying it is loaded.
    void aFailedReloadIsNotLoaded()
    {
        QStringList log;
        FakeUpctvLibrary library(&log);
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        QVERIFY(voices.Open());
        QVERIFY(voices.SelectVoice(0));
        library.loadable = false;
        QVERIFY(!voices.SelectVoice(1));
        QVERIFY(!voices.Loaded());
        QCOMPARE(voices.VoiceCount(), 0);
        QVERIFY(!voices.Speak(QStringLiteral("hola"), 1));
        QCOMPARE(voices.LastFailure().reason, SpeechFailure::NoVoice);
        library.loadable = true;
        QVERIFY(voices.Open());
        QVERIFY(voices.SelectVoice(1));
    }

    // The real library, with a stand-in espeak-ng program first on the PATH that
    // records its arguments and input and then speaks for a while.
    void realLibrarySpeaksThroughAChildProcess()
    {
        const QString bin = m_dir.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString script = bin + QStringLiteral("/espeak-ng");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"$@\" > \"$0.args\"\ncat > \"$0.input\"\nexec sleep infinity\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toLocal8Bit() + ':' + path);

        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        QVERIFY(library.Load());
        QCOMPARE(library.Status(0), std::optional<int>(0));
        QVERIFY(library.SetLanguage(101));
        QVERIFY(library.SetSpeaker(0));
        QVERIFY(library.SetSpeed(200));
        QVERIFY(library.Read(QByteArray("-w /dev/null \x80 \xe0 ")));
        QCOMPARE(library.Status(0), std::optional<int>(1));
        QTRY_VERIFY(QFile::exists(script + QStringLiteral(".input")) && QFileInfo(script + ".input").size() > 0);
        QTRY_VERIFY(QFileInfo(script + ".args").size() > 0);
        QFile args(script + QStringLiteral(".args"));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll().trimmed(), QByteArray("-v es+f2 -s 350"));
        QFile input(script + QStringLiteral(".input"));
        QVERIFY(input.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(input.readAll()), QStringLiteral("-w /dev/null € à "));
        // The child never ends by itself: Stop ends it rather than waiting for it.
        QVERIFY(library.Stop());
        QCOMPARE(library.Status(0), std::optional<int>(0));

        // A megabyte of every character is handed over without blocking the caller,
        // even to a child that never reads it.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("#!/bin/sh\nexec sleep infinity\n");
        file.close();
        QByteArray every;
        for (int c = 1; c < 256; ++c)
            every.append(char(c));
        QByteArray big;
        while (big.size() < (1 << 20))
            big += every;
        QVERIFY(library.Read(big));
        QCOMPARE(library.Status(0), std::optional<int>(1));
        QVERIFY(library.Stop());
        QCOMPARE(library.Status(0), std::optional<int>(0));
        library.Unload();
        qputenv("PATH", path);
    }

    // The first run of a Catalan session offers ona, where festival has her; another
    // session keeps the first voice of the list.
    void firstRunOfACatalanSessionOffersOna_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<bool>("ona");
        QTest::newRow("Catalan") << QByteArray("ca_ES.UTF-8") << true;
        QTest::newRow("Valencian") << QByteArray("ca_ES.UTF-8@valencia") << true;
        QTest::newRow("Spanish") << QByteArray("es_ES.UTF-8") << false;
    }
    void firstRunOfACatalanSessionOffersOna()
    {
        QFETCH(QByteArray, locale);
        QFETCH(bool, ona);
        QVERIFY2(UpctvRenderingProblem({VoiceFamily::Upctv, 1}).isEmpty(), "festival's Catalan voice ona is not installed");
        const QByteArray session = qgetenv("LC_ALL");
        qputenv("LC_ALL", locale);
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        SpeechEngineSet engines;
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        engines.upctv = &voices;
        SpeechController controller(settings, engines, nullptr);
        controller.SetUp();
        qputenv("LC_ALL", session);
        QCOMPARE(controller.SelectedVoice() == (VoiceId{VoiceFamily::Upctv, 1}), ona);
        // Only the Catalan woman, whom the library renders itself, tells her words.
        QVERIFY(voices.VoiceTellsWords(1) && !voices.VoiceTellsWords(0) && !voices.VoiceTellsWords(3));
    }

    // The Catalan woman is festival's ona voice, heard at the null sink with its words
    // told as they are heard; the rate changes how long she speaks; a festival that
    // dies fails that reading only; without festival the entry says what to install.
    void catalanWomanSpeaksWithFestival()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        DlopenUpctvLibrary library({QStringLiteral(UPCTV_LIBRARY)});
        SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        SpeechEngineSet engines;
        UpctvEngine voices(&library, nullptr, SpeakPreparation::UpctvLibraryText);
        engines.upctv = &voices;
        SpeechController controller(settings, engines, nullptr);
        QStringList missing;
        connect(&controller, &SpeechController::speechFailed, this,
                [&missing](UtteranceId, SpeechFailure reason, const QString &message) {
            if (reason == SpeechFailure::SynthesizerMissing)
                missing << message;
        });
        QSignalSpy words(&controller, &SpeechController::wordHeard);
        QSignalSpy failures(&controller, &SpeechController::speechFailed);
        controller.SetUp();
        controller.SetSelectedIndex(1);
        controller.SelectVoice();
        QCOMPARE(missing.count(), 0);

        const QString text = QStringLiteral("Bon dia, Catalunya. Avui l\u2019escola fa festa \u2014 i el coŀlegi tanca\u2026");
        const auto heardMs = [&](int rate) {
            controller.SetRatePosition(rate);
            controller.SetSpeechRate();
            monitor.Clear();
            words.clear();
            const bool heard = controller.SpeakTextAndWait(text);
            monitor.WaitForSilence(2000, 20000);
            return heard ? monitor.SoundMs() : -1;
        };
        const qint64 normal = heardMs(0);
        QVERIFY2(normal > 1500, qPrintable(QString::number(normal)));
        // Every word, in order and each once, as a place in the text given.
        QStringList heardWords;
        for (const QList<QVariant> &word : words) {
            const QString one = text.mid(word.at(1).toInt(), word.at(2).toInt());
            if (one != text && (heardWords.isEmpty() || heardWords.last() != one))
                heardWords << one;
        }
        QVERIFY2(heardWords.size() >= 8, qPrintable(heardWords.join(QLatin1Char('|'))));
        QCOMPARE(heardWords.first(), QStringLiteral("Bon"));
        QVERIFY(heardWords.contains(QStringLiteral("coŀlegi")));
        const qint64 fast = heardMs(10);
        const qint64 slow = heardMs(-10);
        QVERIFY2(fast > 0 && fast < normal * 3 / 4 && slow > normal * 6 / 5,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(fast).arg(normal).arg(slow)));

        // Our own festival child, killed: that reading is not heard, the next one is.
        controller.SetRatePosition(0);
        controller.SetSpeechRate();
        QStringList festivals;
        for (const QString &pid : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile list(QStringLiteral("/proc/self/task/%1/children").arg(pid));
            if (list.open(QIODevice::ReadOnly))
                festivals += QString::fromLatin1(list.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        QVERIFY(!festivals.isEmpty());
        for (const QString &pid : festivals)
            kill(pid.toInt(), SIGKILL);
        controller.SpeakTextAndWait(QStringLiteral("Bona nit."));
        monitor.Clear();
        QVERIFY(controller.SpeakTextAndWait(QStringLiteral("Bona nit a tothom.")));

        // Without festival on the path the entry stays and says what to install.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        controller.SetSelectedIndex(0);
        controller.SelectVoice();
        controller.SetSelectedIndex(1);
        controller.SelectVoice();
        qputenv("PATH", path);
        QCOMPARE(controller.VoiceEntries().size(), 4);
        QCOMPARE(missing.count(), 1);
        QVERIFY(missing.first().contains(QStringLiteral("festival festival-ca festvox-ca-ona-hts")));
    }

    // Our users' sessions write numbers with a comma; ona is heard there at every rate,
    // her words told; and a sentence festival makes nothing of is a failure, never a
    // silent success.
    void onaSpeaksInACommaDecimalSession_data()
    {
        QTest::addColumn<QByteArray>("session");
        QTest::newRow("Catalan") << QByteArray("ca_ES.UTF-8");
        QTest::newRow("Spanish") << QByteArray("es_ES.UTF-8");
    }
    void onaSpeaksInACommaDecimalSession()
    {
        QFETCH(QByteArray, session);
        CommaDecimalSession comma(session.constData());
        QVERIFY2(comma.Active(), "the session's locale is not generated (scripts/install-deps.sh --tests does it)");
        SinkMonitor monitor;
        START_LISTENING(monitor);
        RealLibrarySpeech speech(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        SpeechController &controller = speech.controller;
        QSignalSpy words(&controller, &SpeechController::wordHeard);
        QSignalSpy failures(&controller, &SpeechController::speechFailed);
        controller.SetUp();
        controller.SetSelectedIndex(1);
        controller.SelectVoice();
        for (const int rate : {0, 3}) {
            controller.SetRatePosition(rate);
            controller.SetSpeechRate();
            monitor.Clear();
            words.clear();
            QVERIFY2(controller.SpeakTextAndWait(QStringLiteral("Hola, bon dia a tothom.")), qPrintable(QString::number(rate)));
            monitor.WaitForSilence(2000, 20000);
            QVERIFY2(monitor.SoundMs() > 700, qPrintable(QStringLiteral("rate %1: %2 ms").arg(rate).arg(monitor.SoundMs())));
            QVERIFY2(words.size() >= 4, qPrintable(QStringLiteral("rate %1: %2 words").arg(rate).arg(words.size())));
        }
        QCOMPARE(failures.size(), 0);

        const QString fake = m_dir.filePath(QStringLiteral("rebutja"));
        QVERIFY(QDir().mkpath(fake));
        QFile script(fake + QStringLiteral("/festival"));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(RejectingFestivalScript()) > 0);
        script.close();
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", fake.toLocal8Bit() + ':' + path);
        // Our resident festival ends, so that the next reading starts the one that rejects.
        KillOurFestivals();
        controller.SpeakTextAndWait(QStringLiteral("Bona nit."));
        failures.clear();
        QVERIFY(!controller.SpeakTextAndWait(QStringLiteral("Bona nit a tothom.")));
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.first().at(1).value<SpeechFailure>(), SpeechFailure::NotHeard);
    }
};

QTEST_GUILESS_MAIN(TestUpctvLibrary)
#include "test_upctvlibrary.moc"
