#include "app/SettingsStore.h"
#include "app/UserQuestions.h"
#include "platform/QtSoundPlayers.h"
#include "speech/EspeakEngine.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeechController.h"
#include "speech/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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
        connect(&speech, &SpeechController::wordHeard, this, [&](const QString &of, int start, int length) {
            QCOMPARE(of, text);
            const QString word = of.mid(start, length);
            if (heard.isEmpty() || heard.last() != word)
                heard << word;
        });
        QSignalSpy ended(&speech, &SpeechController::readingEnded);
        connect(&speech, &SpeechController::readingEnded, this, [&] { endedAtMs = monitor.NowMs(); });
        monitor.Clear();
        speech.SpeakText(text);
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.first().first().toString(), text);
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
};

QTEST_GUILESS_MAIN(TestSpokenWords)
#include "test_spokenwords.moc"
