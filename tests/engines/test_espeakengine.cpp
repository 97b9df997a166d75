#include "core/TextEncoding.h"
#include "platform/QtSoundPlayers.h"
#include "engines/EspeakEngine.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/EspeakSamples.h"
#include "tests/common/SinkMonitor.h"

#include <QtTest>

#include <condition_variable>
#include <mutex>

// A sound device that plays instantly and counts the samples it is given. The engine
// writes from its own thread: every field is read under the lock.
class CountingOutput : public PcmOutput
{
public:
    bool Audible() const override { return true; }
    void Begin(int) override
    {
        std::lock_guard lock(m_mutex);
        m_flushed = false;
        m_ended = false;
    }
    bool Write(const int16_t *, int count) override
    {
        std::unique_lock lock(m_mutex);
        m_released.wait(lock, [this] { return !m_held; });
        if (m_flushed)
            return false;
        m_samples += count;
        return true;
    }
    void End() override
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    void Flush() override
    {
        std::lock_guard lock(m_mutex);
        m_flushed = true;
    }
    bool WaitFinished(int) override { return true; }

    // Holds the engine's writes back until Release.
    void Hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void Release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_released.notify_all();
    }
    void Restart()
    {
        std::lock_guard lock(m_mutex);
        m_samples = 0;
    }
    qint64 Samples() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }
    bool Flushed() const
    {
        std::lock_guard lock(m_mutex);
        return m_flushed;
    }
    bool Ended() const
    {
        std::lock_guard lock(m_mutex);
        return m_ended;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    qint64 m_samples = 0;
    bool m_flushed = false;
    bool m_ended = false;
};

class TestEspeakEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EspeakEngine> Make(CountingOutput **output)
    {
        auto counting = std::make_unique<CountingOutput>();
        *output = counting.get();
        return EspeakEngine::Create(std::move(counting));
    }
    // The samples the engine gives for the text alone.
    static qint64 SamplesOf(EspeakEngine &engine, CountingOutput &output, const QString &text)
    {
        output.Restart();
        if (!engine.Speak(text) || !engine.WaitUntilDone())
            return -1;
        return output.Samples();
    }

private slots:
    void speakReturnsAtOnceAndWaitReturnsWhenRendered()
    {
        CountingOutput *output = nullptr;
        auto engine = Make(&output);
        QVERIFY(engine);
        QCOMPARE(engine->VoiceCount(), int(VoiceCatalog::EspeakVoices().size()));
        QVERIFY(engine->SelectVoice(VoiceCatalog::EspeakVoices().size() - 1));
        QVERIFY(!engine->SelectVoice(-1));
        QVERIFY(!engine->VoiceDescription(-1));
        output->Restart();
        // Speak returns while the device still holds back the first samples.
        output->Hold();
        QVERIFY(engine->Speak(QStringLiteral("Bon dia. Avui fa sol i anem a la platja a banyar-nos.")));
        QCOMPARE(output->Samples(), 0);
        output->Release();
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(output->Samples() > 22050);
        QVERIFY(output->Ended());
    }

    void skipSilencesAMegabyteOfText()
    {
        CountingOutput *output = nullptr;
        auto engine = Make(&output);
        const qint64 hola = SamplesOf(*engine, *output, QStringLiteral("hola"));
        QVERIFY(hola > 0);

        QString text;
        while (text.size() < 1 << 20)
            text += QStringLiteral("Aquesta és una frase molt llarga que no s'acaba mai. ");
        output->Restart();
        QVERIFY(engine->Speak(text));
        QTRY_VERIFY(output->Samples() > 0);
        QVERIFY(engine->Skip());
        QVERIFY(engine->WaitUntilDone());
        // The text is many hours of speech; far less than one was rendered.
        const qint64 skipped = output->Samples();
        QVERIFY2(skipped < qint64(VoiceCatalog::EspeakSampleRate()) * 3600, qPrintable(QString::number(skipped)));
        // Nothing of the skipped text comes after: the next word is heard about alone
        // (espeak-ng's intonation after a cut may shorten it a little).
        QVERIFY(engine->Speak(QStringLiteral("hola")));
        QVERIFY(engine->WaitUntilDone());
        const qint64 next = output->Samples() - skipped;
        QVERIFY2(next > hola / 2 && next < hola * 3 / 2, qPrintable(QStringLiteral("%1 of %2").arg(next).arg(hola)));
    }

    void oddTextsDoNotCrashOrHang()
    {
        CountingOutput *output = nullptr;
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
        CountingOutput *output = nullptr;
        auto engine = Make(&output);
        const qint64 hola = SamplesOf(*engine, *output, QStringLiteral("hola"));
        output->Restart();
        engine->Speak(QString(2000, QLatin1Char('a')));
        QTRY_VERIFY(output->Samples() > 0);
        engine->Speak(QString());
        engine->Speak(QStringLiteral("  "));
        engine->Speak(QStringLiteral("hola"));
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(!output->Flushed());
        // The long text was not cut: its samples and the word's all arrived.
        QVERIFY(output->Samples() > 22050 * 5 + hola);
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
        const QVector<qint16> rendered = EspeakSamples(sentence, catalan, 0);
        QVERIFY(!rendered.isEmpty());
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
