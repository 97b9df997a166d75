#include "core/SettingsStore.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeakPreparation.h"
#include "speech/SpeechController.h"
#include "engines/UpctvEngine.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

// Two espeak-ng voices, three speech-dispatcher voices and the library, by default.
struct Rig
{
    explicit Rig(const QString &dir, bool withMsp = true, bool withUpctv = true)
        : settings(dir + QStringLiteral("/tolvanet.ini")),
          msp(QStringLiteral("msp"), {QStringLiteral("Catalan"), QStringLiteral("Spanish (Spain)")}, &log),
          sapi(QStringLiteral("sapi"), {QStringLiteral("kal"), QStringLiteral("awb"), QStringLiteral("rms")}, &log),
          upctv(&log), wave(&log), media(&log), desktop(&log),
          upctvVoices(&upctv, &desktop, SpeakPreparation::UpctvLibraryText), dictionary(settings, &questions, dir)
    {
        upctv.loadable = withUpctv;
        engines.msp = withMsp ? &msp : nullptr;
        engines.sapi = &sapi;
        engines.upctv = &upctvVoices;
        engines.wave = &wave;
        engines.media = &media;
    }
    SpeechController &Make()
    {
        controller = std::make_unique<SpeechController>(settings, engines, &dictionary);
        controller->SetUp();
        log.clear();
        return *controller;
    }
    QString Read(const QString &section, const QString &key) { return settings.ReadString(section, key, QStringLiteral("<none>")); }

    QStringList log;
    SettingsStore settings;
    FakeVoiceEngine msp;
    FakeVoiceEngine sapi;
    FakeUpctvLibrary upctv;
    FakeWavePlayer wave;
    FakeMediaPlayer media;
    LoggedDesktopWindows desktop;
    UpctvEngine upctvVoices;
    ScriptedQuestions questions;
    FormDiccionariExcepcions dictionary;
    SpeechEngineSet engines;
    std::unique_ptr<SpeechController> controller;
};

class TestSpeechController : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Dir() { return m_dir.path(); }
    void Fresh()
    {
        QFile::remove(Dir() + QStringLiteral("/tolvanet.ini"));
    }

private slots:
    void init() { Fresh(); }

    void listJoinsTheThreeFamiliesInOrder()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        QCOMPARE(c.VoiceEntries().size(), 9);
        QCOMPARE(c.VoiceEntries().at(4), QStringLiteral("SAPI - rms"));
        QCOMPARE(c.VoiceEntries().at(6), QStringLiteral("UPCTV - Dona - Català"));
        QCOMPARE(c.MspCount(), 2);
        QCOMPARE(c.SapiCount(), 3);
        QVERIFY(c.UpctvLoaded());
        QVERIFY(c.AutomationAvailable());
        QCOMPARE(c.SelectedIndex(), 0); // nothing stored: the first entry, nothing applied
        QVERIFY(!rig.log.contains("msp:voice:0"));
    }

    void familyOfEveryIndex_data()
    {
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("within");
        QTest::newRow("none") << -1 << int(VoiceFamily::Msp) << -1;
        QTest::newRow("first msp") << 0 << int(VoiceFamily::Msp) << 0;
        QTest::newRow("first sapi") << 2 << int(VoiceFamily::Sapi) << 0;
        QTest::newRow("last sapi") << 4 << int(VoiceFamily::Sapi) << 2;
        QTest::newRow("first upctv") << 5 << int(VoiceFamily::Upctv) << 0;
        QTest::newRow("last upctv") << 8 << int(VoiceFamily::Upctv) << 3;
    }
    void familyOfEveryIndex()
    {
        QFETCH(int, listIndex);
        QFETCH(int, family);
        QFETCH(int, within);
        Rig rig(Dir());
        const VoiceId v = rig.Make().VoiceOfRow(listIndex);
        QCOMPARE(int(v.family), family);
        QCOMPARE(v.index, within);
    }

    void missingFamiliesShiftTheList()
    {
        Rig rig(Dir(), false, false);
        SpeechController &c = rig.Make();
        QCOMPARE(c.VoiceEntries(), QStringList({"SAPI - kal", "SAPI - awb", "SAPI - rms"}));
        QCOMPARE(int(c.VoiceOfRow(0).family), int(VoiceFamily::Sapi));
    }

    void aFamilyFailingHalfWayKeepsLaterIndexesRight()
    {
        Rig rig(Dir());
        rig.msp.failingDescription = 1;
        SpeechController &c = rig.Make();
        QCOMPARE(c.MspCount(), 1);
        QCOMPARE(c.VoiceEntries().at(1), QStringLiteral("SAPI - kal"));
        c.SetSelectedIndex(1);
        c.SelectVoice();
        QCOMPARE(rig.log.first(), QStringLiteral("sapi:voice:0"));
    }

    void storedVoiceAndRateAreApplied_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("type");
        QTest::newRow("msp") << "1" << 1 << "MSP";
        QTest::newRow("sapi") << "3" << 3 << "SAPI";
        QTest::newRow("negative selects without applying") << "-1" << 0 << "<none>";
        QTest::newRow("not a number is ignored") << "x" << -1 << "<none>";
    }
    void storedVoiceAndRateAreApplied()
    {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        QFETCH(QString, type);
        Rig rig(Dir());
        rig.settings.WriteString("tts", "Numero sintetitzador", stored);
        rig.settings.WriteString("tts", "velocitat", "4");
        SpeechController c(rig.settings, rig.engines, &rig.dictionary);
        c.SetUp();
        QCOMPARE(c.SelectedIndex(), selected);
        QCOMPARE(rig.Read("tts to Wav", "Tipus de sintetitzador"), type);
        QCOMPARE(c.RatePosition(), 4);
        QCOMPARE(c.RateLabel(), QStringLiteral("4"));
        if (selected == 3)
            QVERIFY(rig.log.contains("sapi:voice:1") && rig.log.last() == "sapi:rate:4");
    }

    void theStoredNameChoosesOnceTheListIsWhole()
    {
        // Chosen while the speech service was late: the library's first voice was row 2.
        Rig rig(Dir());
        rig.engines.sapi = nullptr;
        rig.settings.WriteString("tts", "Numero sintetitzador", "2");
        rig.settings.WriteString("tts", "Nom sintetitzador", "UPCTV - Home - Català");
        SpeechController late(rig.settings, rig.engines, &rig.dictionary);
        late.ExpectServiceVoices();
        late.SetUp();
        // Row 2 now, but the rows of the library move when the service answers: not yet written.
        QCOMPARE(late.SelectedIndex(), 0);
        QCOMPARE(rig.Read("tts", "Numero sintetitzador"), QStringLiteral("2"));
        QSignalSpy changed(&late, &SpeechController::voiceListChanged);
        late.AddServiceVoices(&rig.sapi);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(late.VoiceEntries().at(5), QStringLiteral("UPCTV - Home - Català"));
        QCOMPARE(late.SelectedIndex(), 5);
        QCOMPARE(int(late.SelectedVoice().family), int(VoiceFamily::Upctv));
        QCOMPARE(rig.Read("tts", "Numero sintetitzador"), QStringLiteral("5"));

        // A number that another list gave: the name is trusted and the number written again.
        rig.engines.sapi = &rig.sapi;
        rig.settings.WriteString("tts", "Numero sintetitzador", "2");
        rig.settings.WriteString("tts", "Nom sintetitzador", "SAPI - rms");
        SpeechController &whole = rig.Make();
        QCOMPARE(whole.SelectedIndex(), 4);
        QCOMPARE(rig.Read("tts", "Numero sintetitzador"), QStringLiteral("4"));
        // A name no longer in the whole list leaves the number to choose, as it always did.
        rig.settings.WriteString("tts", "Nom sintetitzador", "SAPI - gone");
        rig.settings.WriteString("tts", "Numero sintetitzador", "1");
        QCOMPARE(rig.Make().SelectedIndex(), 1);
        // A service that never answers completes the list without it.
        rig.engines.sapi = nullptr;
        rig.settings.WriteString("tts", "Nom sintetitzador", "SAPI - kal");
        SpeechController absent(rig.settings, rig.engines, &rig.dictionary);
        absent.ExpectServiceVoices();
        absent.SetUp();
        absent.AddServiceVoices(nullptr);
        QCOMPARE(absent.SelectedIndex(), 1);
    }

    void upctvChoiceReloadsInOrderOnlyWhenItChanges()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetRatePosition(-10);
        c.SetSelectedIndex(6);
        c.SelectVoice();
        QCOMPARE(rig.log, QStringList({"upctv:stop", "upctv:unload", "upctv:load", "upctv:speed:100",
                                       "upctv:language:99", "upctv:speaker:2", "upctv:speed:10"}));
        QCOMPARE(rig.Read("tts to Wav", "Tipus de sintetitzador"), QStringLiteral("UPCTV"));
        QCOMPARE(rig.Read("tts to Wav", "Sintetitzador"), QStringLiteral("<none>"));
        QCOMPARE(rig.upctvVoices.CurrentVoice(), 1);
        rig.log.clear();
        c.SelectVoice();
        QCOMPARE(rig.log, QStringList({"upctv:speed:10"}));
        c.SetSelectedIndex(7);
        c.SelectVoice();
        QVERIFY(rig.log.contains("upctv:language:101") && rig.log.contains("upctv:speaker:1"));
    }

    void upctvSpeechLowersOnlyAsciiAndPollsUntilIdle()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(5);
        rig.upctv.busyPolls = 2;
        QElapsedTimer clock;
        clock.start();
        c.SpeakText(QStringLiteral("Hola MÓN."));
        QCOMPARE(rig.log, QStringList({"upctv:stop", QStringLiteral("upctv:read:hola mÓn. ")}));
        QCOMPARE(rig.upctv.statusPolls, 3);
        QVERIFY(clock.elapsed() >= 380);
    }

    void aStopDuringTheWaitEndsItAtTheNextPoll()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(5);
        rig.upctv.busyPolls = 1000;
        // The user stops while the wait after the second poll handles events.
        rig.upctv.onStatus = [&rig, &c] {
            if (rig.upctv.statusPolls == 2)
                QTimer::singleShot(0, &c, [&c] { c.StopSpeech(); });
        };
        c.SpeakTextAndWait(QStringLiteral("llarg"));
        // The third poll finds the library idle; the waiting loop's own poll then ends at once.
        QCOMPARE(rig.upctv.statusPolls, 4);
        QVERIFY(rig.log.contains("upctv:stop"));
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));
    }

    // The library's readings reach the front as every engine's do: the words and the end
    // of each reading by its number, a stop ending it once, and a missing synthesizer told
    // with what to install.
    void upctvReadingsAreToldByTheirNumbers()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(5);
        QList<QList<int>> news;
        connect(&c, &SpeechController::wordHeard, this,
                [&news](UtteranceId id, int start, int length) { news << QList<int>{int(id), start, length}; });
        connect(&c, &SpeechController::readingEnded, this, [&news](UtteranceId id) { news << QList<int>{int(id)}; });
        QList<QPair<UtteranceId, QString>> failures;
        connect(&c, &SpeechController::speechFailed, this,
                [&failures](UtteranceId id, SpeechFailure reason, const QString &message) {
            QCOMPARE(int(reason), int(SpeechFailure::SynthesizerMissing));
            failures << qMakePair(id, message);
        });
        rig.upctv.busyPolls = 2;
        rig.upctv.heardWord = std::make_pair(5, 4);
        const UtteranceId first = c.SpeakText(QStringLiteral("casa casa"));
        rig.upctv.heardWord = std::make_pair(0, 4);
        const bool heard = c.SpeakTextAndWait(QStringLiteral("casa casa"));
        const UtteranceId second = first + 1;
        QVERIFY(heard);
        QCOMPARE(news, (QList<QList<int>>{{int(first), 0, 9}, {int(first), 5, 4}, {int(first)},
                                          {int(second), 0, 9}, {int(second), 0, 4}, {int(second)}}));

        news.clear();
        rig.upctv.busyPolls = 1000;
        rig.upctv.onStatus = [&rig, &c] {
            if (rig.upctv.statusPolls == 2)
                QTimer::singleShot(0, &c, [&c] { c.StopSpeech(); });
        };
        c.SpeakTextAndWait(QStringLiteral("llarg"));
        QCOMPARE(news.count(QList<int>{int(second + 1)}), 1);
        rig.upctv.onStatus = nullptr;

        news.clear();
        rig.upctv.synthesizerMissing = true;
        c.SetSelectedIndex(6);
        c.SelectVoice();
        const UtteranceId unheard = c.SpeakText(QStringLiteral("hola"));
        QCOMPARE(failures.size(), 2);
        QCOMPARE(failures.at(0).first, UtteranceId(0));
        QCOMPARE(failures.at(1).first, unheard);
        QVERIFY(failures.at(1).second.contains(QStringLiteral("festvox-ca-ona-hts")));
        QCOMPARE(news, QList<QList<int>>{{int(unheard)}});
    }

    void soundFileNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wave any case") << "gat.WaV" << "wave:play:gat.WaV";
        QTest::newRow("three letters are speech") << "wav" << "msp:speak:wav";
        QTest::newRow("missing mp3 does nothing") << "no.Mp3" << "";
    }
    void soundFileNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SpeakText(text);
        QCOMPARE(rig.log.join(QLatin1Char('|')), expected);
    }

    void dictionaryRecordingsPlayFromTheDictionaryFolder()
    {
        Rig rig(Dir());
        QDir().mkpath(Dir() + "/dic");
        const QString dic = Dir() + "/dic/paraules.txt";
        QFile file(dic);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("gat gat.wav\r\ngos gos.mp3\r\n");
        file.close();
        QFile mp3(Dir() + "/dic/gos.mp3");
        QVERIFY(mp3.open(QIODevice::WriteOnly));
        mp3.close();
        rig.dictionary.LoadExceptionsDictionary(dic);
        SpeechController &c = rig.Make();
        c.SpeakText(QStringLiteral("Gat "));
        c.SpeakTextAndWait(QStringLiteral("gos"));
        QCOMPARE(rig.log, QStringList({"wave:play:" + Dir() + "/dic/gat.wav", "media:close",
                                       "media:open:" + Dir() + "/dic/gos.mp3", "media:play-wait"}));
    }

    void waitingSpeechMarksReading()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(2);
        c.SpeakTextAndWait(QStringLiteral("hola"));
        QCOMPARE(rig.log, QStringList({"sapi:speak:hola", "sapi:wait"}));
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));
    }

    // Word by word waits for one word after another: the flag says "1" from the first
    // word to the end of the reading, and the settings file is not rewritten per word.
    void aKeptReadingWritesTheFlagOnlyAtItsEdges()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(2);
        const auto inode = [&rig] {
            struct stat info {};
            return ::stat(QFile::encodeName(rig.settings.FileName()).constData(), &info) == 0 ? info.st_ino : 0;
        };
        c.KeepReadingFlag(true);
        c.SpeakTextAndWait(QStringLiteral("un"));
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("1"));
        const auto written = inode();
        for (const char *word : {"dos", "tres", "quatre"})
            c.SpeakTextAndWait(QString::fromLatin1(word));
        QCOMPARE(inode(), written);
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("1"));
        c.KeepReadingFlag(false);
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));

        // A stop says "0" at once and ends the keeping: the next word is told on its own.
        c.KeepReadingFlag(true);
        c.SpeakTextAndWait(QStringLiteral("cinc"));
        c.StopSpeech();
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));
        c.SpeakTextAndWait(QStringLiteral("sis"));
        QCOMPARE(rig.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));
    }

    void stopClosesPlayersThenTheFamily()
    {
        Rig rig(Dir(), true, false);
        SpeechController &c = rig.Make();
        c.StopSpeech();
        QCOMPARE(rig.log, QStringList({"media:close", "wave:stop", "msp:skip"}));
        rig.log.clear();
        c.SetSelectedIndex(7); // an index past the list selects nothing
        QCOMPARE(c.SelectedIndex(), -1);
        Rig none(Dir(), false, false);
        none.engines.sapi = nullptr;
        SpeechController &empty = none.Make();
        empty.StopSpeech();
        QCOMPARE(none.log, QStringList({"media:close", "wave:stop"}));
        QCOMPARE(none.Read("tts", "ESTIC LLEGINT"), QStringLiteral("0"));
    }

    void readOnlySettingsDoNotStopSpeech()
    {
        Rig rig(Dir());
        rig.settings.WriteString("tts", "velocitat", "0");
        QFile::setPermissions(rig.settings.FileName(), QFile::ReadOwner);
        QFile::setPermissions(Dir(), QFile::ReadOwner | QFile::ExeOwner);
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(0);
        c.SelectVoice();
        c.SpeakTextAndWait(QStringLiteral("hola"));
        c.StopSpeech();
        QFile::setPermissions(Dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(rig.settings.FileName(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(rig.log, QStringList({"msp:voice:0", "msp:rate:0", "msp:speak:hola", "msp:wait", "media:close",
                                       "wave:stop", "msp:skip"}));
    }

    void aSettingsFileThatCannotBeWrittenIsToldOnce()
    {
        // Even root cannot write a settings file that is a folder.
        const QString folder = Dir() + QStringLiteral("/unwritable");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/tolvanet.ini")));
        Rig rig(folder);
        SpeechController &c = rig.Make();
        QStringList told;
        c.Settings().SetFailureReport([&told](const QString &problem) { told << problem; });
        c.SetSelectedIndex(3);
        c.SelectVoice();
        c.SpeakTextAndWait(QStringLiteral("hola"));
        c.StopSpeech();
        QVERIFY(rig.log.contains("sapi:speak:hola"));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(rig.settings.FileName()), qPrintable(told.first()));
        QDir(folder).removeRecursively();
    }

    void windowTimerPressesEnterAndStopsAfterTwentyOneTicks()
    {
        Rig rig(Dir());
        rig.desktop.titles = {QStringLiteral("Editor"), QString::fromUtf8(UpctvEngine::kWindowTitle)};
        rig.Make();
        QVERIFY(rig.upctvVoices.WindowTimerActive());
        for (int i = 0; i < 21; ++i)
            rig.upctvVoices.WindowTimerTick();
        QVERIFY(!rig.upctvVoices.WindowTimerActive());
        QCOMPARE(rig.log.count("desktop:enter:window1"), 21);
        QCOMPARE(rig.desktop.FindWindowByTitle(QString()), QString());
        QCOMPARE(rig.desktop.FindWindowByTitle(QStringLiteral("editor")), QString());
    }

    void rateChangesFollowTheSelectedFamily()
    {
        Rig rig(Dir());
        SpeechController &c = rig.Make();
        c.SetSelectedIndex(8);
        c.SetRatePosition(10);
        c.SetSpeechRate();
        c.SetSelectedIndex(1);
        c.SetRatePosition(-3);
        c.SetSpeechRate();
        QCOMPARE(rig.log, QStringList({"upctv:speed:250", "msp:rate:-3"}));
        QCOMPARE(c.RateLabel(), QStringLiteral("-3"));
    }
};

QTEST_GUILESS_MAIN(TestSpeechController)
#include "test_speechcontroller.moc"
