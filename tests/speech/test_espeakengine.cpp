#include "core/TextEncoding.h"
#include "platform/QtSoundPlayers.h"
#include "speech/EspeakEngine.h"
#include "speech/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <mutex>

// A sound device that plays instantly and notes when samples arrive.
class TimingOutput : public PcmOutput
{
public:
    bool Audible() const override { return true; }
    void Begin(int) override
    {
        std::lock_guard lock(mutex);
        flushed = false;
        ended = false;
    }
    bool Write(const int16_t *, int count) override
    {
        std::lock_guard lock(mutex);
        if (flushed)
            return false;
        if (samples == 0)
            firstSampleMs = clock.elapsed();
        samples += count;
        lastWriteMs = clock.elapsed();
        return true;
    }
    void End() override
    {
        std::lock_guard lock(mutex);
        ended = true;
    }
    void Flush() override
    {
        std::lock_guard lock(mutex);
        flushed = true;
        flushMs = clock.elapsed();
    }
    bool WaitFinished(int) override { return true; }
    void Restart()
    {
        std::lock_guard lock(mutex);
        samples = 0;
        firstSampleMs = lastWriteMs = flushMs = -1;
        clock.start();
    }

    std::mutex mutex;
    QElapsedTimer clock;
    qint64 samples = 0;
    qint64 firstSampleMs = -1;
    qint64 lastWriteMs = -1;
    qint64 flushMs = -1;
    bool flushed = false;
    bool ended = false;
};

class TestEspeakEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EspeakEngine> Make(TimingOutput **output)
    {
        auto timing = std::make_unique<TimingOutput>();
        *output = timing.get();
        return EspeakEngine::Create(std::move(timing));
    }

private slots:
    void speakReturnsAtOnceAndWaitReturnsWhenRendered()
    {
        TimingOutput *output = nullptr;
        auto engine = Make(&output);
        QVERIFY(engine);
        QCOMPARE(engine->VoiceCount(), int(VoiceCatalog::EspeakVoices().size()));
        QVERIFY(engine->SelectVoice(VoiceCatalog::EspeakVoices().size() - 1));
        QVERIFY(!engine->SelectVoice(-1));
        QVERIFY(!engine->VoiceDescription(-1));
        output->Restart();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(engine->Speak(QStringLiteral("Bon dia. Avui fa sol i anem a la platja a banyar-nos.")));
        QVERIFY2(clock.elapsed() < 1000, "Speak must not wait for the rendering");
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(output->samples > 22050);
        QVERIFY(output->ended);
    }

    void skipSilencesAMegabyteOfText()
    {
        TimingOutput *output = nullptr;
        auto engine = Make(&output);
        QString text;
        while (text.size() < 1 << 20)
            text += QStringLiteral("Aquesta és una frase molt llarga que no s'acaba mai. ");
        output->Restart();
        QVERIFY(engine->Speak(text));
        QTRY_VERIFY(output->samples > 0);
        QTest::qWait(50);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(engine->Skip());
        QVERIFY(clock.elapsed() < 100);
        QVERIFY(engine->WaitUntilDone());
        const qint64 after = output->samples;
        QTest::qWait(100);
        QCOMPARE(output->samples, after);
    }

    void oddTextsDoNotCrashOrHang()
    {
        TimingOutput *output = nullptr;
        auto engine = Make(&output);
        QByteArray every;
        for (int c = 1; c < 256; ++c)
            every.append(char(c));
        const QStringList texts = {TextEncoding::DecodeWindows1252(every), QString(300, QChar(7)),
                                   QStringLiteral("[[h@'l@U]] <speak>x</speak> \\x00 %s"), QString(), QStringLiteral(" ")};
        for (const QString &text : texts) {
            QVERIFY(engine->Speak(text));
            QVERIFY(engine->WaitUntilDone());
        }
    }

    void textsQueueAndNothingToSayChangesNothing()
    {
        TimingOutput *output = nullptr;
        auto engine = Make(&output);
        QVector<qint16> alone;
        QVERIFY(VoiceCatalog::RenderEspeakSamples(QStringLiteral("hola"), -1, 0, &alone));
        output->Restart();
        engine->Speak(QString(2000, QLatin1Char('a')));
        QTRY_VERIFY(output->samples > 0);
        engine->Speak(QString());
        engine->Speak(QStringLiteral("  "));
        engine->Speak(QStringLiteral("hola"));
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(!output->flushed);
        // The long text was not cut: its samples and the word's all arrived.
        QVERIFY(output->samples > 22050 * 5 + alone.size());
    }

    void theSessionLanguageChoosesTheDefaultVoice_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("Catalan") << "ca_ES.UTF-8" << "ca";
        QTest::newRow("Spanish of Spain") << "es_ES.UTF-8" << "es";
        QTest::newRow("American English") << "en_US.UTF-8" << "en-us";
        QTest::newRow("no language") << "C.UTF-8" << "en-gb";
        QTest::newRow("a language espeak-ng lacks") << "xx_YY" << "en-gb";
    }
    void theSessionLanguageChoosesTheDefaultVoice()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        const int index = VoiceCatalog::EspeakDefaultVoice(locale);
        QVERIFY(index >= 0);
        QCOMPARE(VoiceCatalog::EspeakVoices().at(index).language, language);
    }

    // --- Through the sound server, heard at its null sink ------------------------

    void aSentenceIsHeardWholeAndWaitEndsWithIt()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto output = std::make_unique<QtPcmOutput>();
        QVERIFY2(output->Audible(), "Qt Multimedia finds no output on the sound server");
        auto engine = EspeakEngine::Create(std::move(output));
        const int catalan = VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"));
        QVERIFY(engine->SelectVoice(catalan));
        const QString sentence = QStringLiteral("Hola, bon dia. Avui fa sol.");
        QVector<qint16> rendered;
        QVERIFY(VoiceCatalog::RenderEspeakSamples(sentence, catalan, 0, &rendered));
        const qint64 renderedMs = SinkMonitor::SoundMsOfSamples(rendered, VoiceCatalog::EspeakSampleRate());

        monitor.Clear();
        QVERIFY(engine->Speak(sentence));
        QVERIFY(engine->WaitUntilDone());
        const qint64 returnedAt = monitor.NowMs();
        monitor.Listen(500);
        QVERIFY2(monitor.SoundMs() >= renderedMs * 9 / 10,
                 qPrintable(QStringLiteral("heard %1 ms of %2 ms").arg(monitor.SoundMs()).arg(renderedMs)));
        // The wait ended once the sound had: nothing is heard after it.
        QVERIFY2(monitor.LastSoundMs() <= returnedAt + SinkMonitor::kLatencyMs,
                 qPrintable(QStringLiteral("sound at %1 ms, wait ended at %2 ms").arg(monitor.LastSoundMs()).arg(returnedAt)));

        // Each new reading after silence is heard too, however many come.
        for (const QString &word : {QStringLiteral("u"), QStringLiteral("dos"), QStringLiteral("tres")}) {
            monitor.Listen(400);
            monitor.Clear();
            QVERIFY(engine->Speak(word));
            QVERIFY(engine->WaitUntilDone());
            QVERIFY2(monitor.WaitForSound(2000), qPrintable(QStringLiteral("\"%1\" was not heard").arg(word)));
        }

        // A second text right behind the first waits for it.
        monitor.Clear();
        QVERIFY(engine->Speak(QStringLiteral("u")));
        QVERIFY(engine->Speak(sentence));
        QVERIFY(engine->WaitUntilDone());
        monitor.Listen(300);
        QVERIFY(monitor.SoundMs() >= renderedMs * 9 / 10);
    }

    void skipSilencesTheSpeakers()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto engine = EspeakEngine::Create(std::make_unique<QtPcmOutput>());
        QString text;
        while (text.size() < 20000)
            text += QStringLiteral("Aquesta és una frase molt llarga que no s'acaba mai. ");
        monitor.Clear();
        QVERIFY(engine->Speak(text));
        QVERIFY(monitor.WaitForSound(10000));
        monitor.Listen(300);
        const qint64 stoppedAt = monitor.NowMs();
        QVERIFY(engine->Skip());
        QVERIFY(engine->WaitUntilDone());
        monitor.Listen(1000);
        // The recording lags the speakers by its own latency; past that, silence.
        QVERIFY2(monitor.LastSoundMs() <= stoppedAt + 100 + SinkMonitor::kLatencyMs,
                 qPrintable(QStringLiteral("sound %1 ms after the stop").arg(monitor.LastSoundMs() - stoppedAt)));
    }
};

QTEST_GUILESS_MAIN(TestEspeakEngine)
#include "test_espeakengine.moc"
