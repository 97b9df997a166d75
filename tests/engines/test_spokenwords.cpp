#include "core/SettingsStore.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "platform/QtSoundPlayers.h"
#include "engines/EspeakEngine.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeechController.h"
#include "engines/SpeechDispatcherEngine.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/SpeechService.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// libspeechd reads a voice list by searching the whole rest of the reply for each line's
// end; the address sanitizer's check of every search makes espeak-ng's thousands of
// voices take minutes.
extern "C" const char *__asan_default_options()
{
    return "intercept_strstr=0";
}

// The words of a reading, as the real espeak-ng engine tells them while they are heard.
class TestSpokenWords : public QObject
{
    Q_OBJECT

private slots:
    void wordsHeardAreTheWordsOfTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("dictionary");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accented") << QStringLiteral("L'àvia menjava préssecs amb mel.") << QByteArray()
                                  << QStringList({"L'àvia", "menjava", "préssecs", "amb", "mel."});
        QTest::newRow("non-breaking spaces") << QStringLiteral("Són 25\u00a0euros i 3\u00a0cèntims") << QByteArray()
                                             << QStringList({"Són", "25", "euros", "i", "3", "cèntims"});
        // The replacement is heard; the word the user wrote is the one marked.
        QTest::newRow("dictionary replacement") << QStringLiteral("Tolvanet") << QByteArray("tolvanet tolbanet\r\n")
                                                << QStringList({"Tolvanet"});
    }

    void wordsHeardAreTheWordsOfTheText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, dictionary);
        QFETCH(QStringList, expected);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        ScriptedQuestions questions;
        FormDiccionariExcepcions exceptions(settings, &questions, dir.path());
        if (!dictionary.isEmpty()) {
            QFile file(dir.filePath(QStringLiteral("dic.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(dictionary);
            file.close();
            exceptions.LoadExceptionsDictionary(file.fileName());
        }
        auto engine = EspeakEngine::Create(std::make_unique<QtPcmOutput>());
        QVERIFY(engine);
        SpeechEngineSet engines;
        engines.msp = engine.get();
        SpeechController speech(settings, engines, &exceptions);
        speech.SetUp();
        speech.SetSelectedIndex(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
        speech.SelectVoice();

        QStringList heard;
        qint64 endedAtMs = -1;
        UtteranceId reading = 0;
        connect(&speech, &SpeechController::wordHeard, this, [&](UtteranceId of, int start, int length) {
            QCOMPARE(of, reading);
            const QString word = text.mid(start, length);
            if (heard.isEmpty() || heard.last() != word)
                heard << word;
        });
        QSignalSpy ended(&speech, &SpeechController::readingEnded);
        connect(&speech, &SpeechController::readingEnded, this, [&] { endedAtMs = monitor.NowMs(); });
        monitor.Clear();
        reading = speech.SpeakText(text);
        QVERIFY(reading != 0);
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.first().first().value<UtteranceId>(), reading);
        QCOMPARE(heard, expected);
        // Told as heard, not as rendered (which takes a fraction of the time): the end
        // comes with the last sound, not long before it.
        monitor.Listen(300);
        QVERIFY2(endedAtMs + 250 >= monitor.LastSoundMs(),
                 qPrintable(QStringLiteral("end told at %1 ms, sound until %2 ms").arg(endedAtMs).arg(monitor.LastSoundMs())));
    }

    void aStopEndsTheReadingAndNoWordFollows()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        auto engine = EspeakEngine::Create(std::make_unique<QtPcmOutput>());
        SpeechEngineSet engines;
        engines.msp = engine.get();
        SpeechController speech(settings, engines, nullptr);
        speech.SetUp();
        QString text;
        while (text.size() < 2000)
            text += QStringLiteral("one two three four five six seven. ");
        QSignalSpy words(&speech, &SpeechController::wordHeard);
        QSignalSpy ended(&speech, &SpeechController::readingEnded);
        speech.SpeakText(text);
        QVERIFY(words.wait(10000));
        speech.StopSpeech();
        QCOMPARE(ended.size(), 1);
        const qsizetype told = words.size();
        monitor.Listen(600);
        QCOMPARE(words.size(), told);
        QCOMPARE(ended.size(), 1);
    }

    // A word typed twice is read twice: each reading's word and end are told by its
    // own number, in the order they are heard.
    void twoReadingsOfTheSameTextAreToldApart()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
        auto engine = EspeakEngine::Create(std::make_unique<QtPcmOutput>());
        QVERIFY(engine);
        SpeechEngineSet engines;
        engines.msp = engine.get();
        SpeechController speech(settings, engines, nullptr);
        speech.SetUp();
        // (reading, start of the word heard), the end as start -1.
        QList<QPair<UtteranceId, int>> news;
        const auto tell = [&news](UtteranceId of, int start) {
            if (news.isEmpty() || news.last() != qMakePair(of, start))
                news.append({of, start});
        };
        connect(&speech, &SpeechController::wordHeard, this, [&](UtteranceId of, int start, int length) {
            QCOMPARE(length, 4);
            tell(of, start);
        });
        connect(&speech, &SpeechController::readingEnded, this, [&](UtteranceId of) { tell(of, -1); });
        const QString casa = QStringLiteral("casa");
        const UtteranceId first = speech.SpeakText(casa);
        const UtteranceId second = speech.SpeakText(casa);
        QVERIFY(first != 0 && second != 0 && first != second);
        QTRY_VERIFY_WITH_TIMEOUT(news.contains(qMakePair(second, -1)), 20000);
        const QList<QPair<UtteranceId, int>> expected{{first, 0}, {first, -1}, {second, 0}, {second, -1}};
        QCOMPARE(news, expected);
        // A reading that cannot be heard says why, and ends.
        SpeechController silent(settings, SpeechEngineSet{}, nullptr);
        std::optional<SpeechFailure> why;
        UtteranceId failed = 0;
        connect(&silent, &SpeechController::speechFailed, this, [&](UtteranceId of, SpeechFailure reason) {
            failed = of;
            why = reason;
        });
        QSignalSpy silentEnd(&silent, &SpeechController::readingEnded);
        const UtteranceId unheard = silent.SpeakText(casa);
        QCOMPARE(failed, unheard);
        QVERIFY(why == SpeechFailure::NoVoice);
        QCOMPARE(silentEnd.size(), 1);
    }

    // The speech service's voices: a module that tells of the marks it reaches gives
    // each word as it is heard (espeak-ng's module, offered under another name, since
    // the service's espeak-ng voices are left out); one that does not (flite) gives the
    // whole text while it speaks. Characters that mean something in XML are words too.
    void serviceMarksAreTheWordsOfTheText()
    {
        SpeechService service;
        const QString why = service.Start({{QStringLiteral("wordmarks"), QStringLiteral("espeak-ng")}});
        if (!why.isEmpty())
            QFAIL(qPrintable(why));
        // The service starts its modules on the first request, espeak-ng's slowly.
        auto engine = SpeechDispatcherEngine::Create(20000);
        QVERIFY(engine);
        int marking = -1;
        int flite = -1;
        for (int i = 0; i < engine->VoiceCount(); ++i) {
            const QString description = engine->VoiceDescription(i).value_or(QString());
            if (marking < 0 && description.contains(QLatin1String("(wordmarks, en")))
                marking = i;
            if (flite < 0 && description.contains(QLatin1String("(flite")))
                flite = i;
        }
        QVERIFY2(marking >= 0 && flite >= 0, "the service offers no English espeak-ng or flite voice");
        // Known before it speaks: flite's module tells no words, espeak-ng's under a name
        // of its own is not known to until it does.
        QVERIFY(!engine->VoiceTellsWords(flite) && !engine->VoiceTellsWords(marking));
        QList<HeardWord> heard;
        QList<qint64> heardAtMs;
        SinkMonitor monitor;
        START_LISTENING(monitor);
        engine->SetWordListener([&](const HeardWord &word) {
            heard << word;
            heardAtMs << monitor.NowMs();
        });

        const QString text = QStringLiteral("Bread & butter <now>, for \"all\" of us\u00a0today!\nThe end.");
        QVERIFY(engine->SelectVoice(marking));
        monitor.Clear();
        QVERIFY(engine->Speak(text));
        QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().textEnded, 20000);
        monitor.Listen(300);
        // Until its first mark the module is not known to tell them: the first text may
        // be shown whole as it begins.
        if (heard.first().length == text.size()) {
            heard.removeFirst();
            heardAtMs.removeFirst();
        }
        QStringList words;
        for (const HeardWord &word : heard) {
            QCOMPARE(word.text, text);
            if (!word.textEnded)
                words << text.mid(word.start, word.length);
        }
        QCOMPARE(words.join(QLatin1Char('|')), QStringLiteral("Bread|&|butter|<now>,|for|\"all\"|of|us|today!|The|end."));
        QVERIFY(engine->VoiceTellsWords(marking));
        // Told as heard: the words come over the time the sound takes, not at once.
        const qint64 firstSound = monitor.FirstSoundMs();
        const qint64 lastSound = monitor.LastSoundMs();
        QVERIFY(firstSound >= 0);
        QVERIFY2(heardAtMs.at(words.size() - 2) > firstSound + (lastSound - firstSound) / 2,
                 qPrintable(QStringLiteral("the last words were told at %1 ms, sound from %2 to %3 ms")
                                .arg(heardAtMs.at(words.size() - 2)).arg(firstSound).arg(lastSound)));

        heard.clear();
        QVERIFY(engine->SelectVoice(flite));
        QVERIFY(engine->Speak(QStringLiteral("Good <morning> & welcome.")));
        QTRY_VERIFY_WITH_TIMEOUT(!heard.isEmpty() && heard.last().textEnded, 20000);
        QCOMPARE(heard.size(), 2);
        QCOMPARE(heard.first().start, 0);
        QCOMPARE(heard.first().length, int(heard.first().text.size()));
        engine->SetWordListener(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestSpokenWords)
#include "test_spokenwords.moc"
