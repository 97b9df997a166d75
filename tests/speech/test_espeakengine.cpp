#include "app/TextEncoding.h"
#include "platform/QtSoundPlayers.h"
#include "speech/EspeakEngine.h"
#include "speech/VoiceCatalog.h"

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
        QVERIFY(clock.elapsed() < 20);
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

    void aNewTextReplacesTheOneBeingSpoken()
    {
        TimingOutput *output = nullptr;
        auto engine = Make(&output);
        engine->Speak(QString(20000, QLatin1Char('a')));
        QTRY_VERIFY(output->samples > 0);
        output->Restart();
        engine->Speak(QStringLiteral("hola"));
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(output->samples > 0 && output->samples < 22050 * 2);
    }

    void withoutASoundDeviceNothingWaits()
    {
        auto output = std::make_unique<QtPcmOutput>();
        if (output->Audible())
            QSKIP("this machine has a sound device");
        auto engine = EspeakEngine::Create(std::move(output));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(engine->Speak(QString(5000, QLatin1Char('b'))));
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(clock.elapsed() < 100);
    }

    void realDeviceIsHeard()
    {
        auto output = std::make_unique<QtPcmOutput>();
        if (!output->Audible())
            QSKIP("no sound device on this machine: QMediaDevices lists no audio output");
        auto engine = EspeakEngine::Create(std::move(output));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(engine->Speak(QStringLiteral("hola")));
        QVERIFY(engine->WaitUntilDone());
        QVERIFY(clock.elapsed() > 200);
    }
};

QTEST_GUILESS_MAIN(TestEspeakEngine)
#include "test_espeakengine.moc"
