// Measures the speech path: SpeakText to the first sample handed to the sound device
// with an espeak-ng voice, StopSpeech to silence, and ApplyExceptionsDictionary with
// 100 000 entries.
#include "benchmarks/CNumbers.h"
#include "core/SettingsStore.h"
#include "platform/SoundPlayers.h"
#include "engines/EspeakEngine.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeechController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

// A sound device that takes samples as fast as they come and notes the times.
class TimingOutput : public PcmOutput
{
public:
    bool Audible() const override { return true; }
    void Begin(int) override { flushed = false; }
    bool Write(const int16_t *, int) override
    {
        const qint64 now = clock.nsecsElapsed();
        if (flushed)
            return false;
        qint64 expected = -1;
        firstWrite.compare_exchange_strong(expected, now);
        lastWrite = now;
        return true;
    }
    void End() override {}
    void Flush() override { flushed = true; }
    bool WaitFinished(int) override { return true; }

    QElapsedTimer clock;
    std::atomic<bool> flushed{false};
    std::atomic<qint64> firstWrite{-1};
    std::atomic<qint64> lastWrite{-1};
};

double Percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, int(p * values.size())));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));

    auto timingOwned = std::make_unique<TimingOutput>();
    TimingOutput *timing = timingOwned.get();
    timing->clock.start();
    auto espeak = EspeakEngine::Create(std::move(timingOwned));
    if (!espeak) {
        std::fprintf(stderr, "espeak-ng cannot start\n");
        return 1;
    }
    SpeechEngineSet engines;
    engines.msp = espeak.get();
    SpeechController controller(settings, engines, nullptr);
    controller.SetUp();
    controller.SetSelectedIndex(0);
    controller.SelectVoice();

    const QStringList words = {"casa", "Bon dia a tothom.", "escola", "El gat és a la teulada.", "llibre"};
    QList<double> firstSample;
    QList<double> toSilence;
    QList<double> stopCall;
    for (int i = 0; i < 100; ++i) {
        timing->firstWrite = -1;
        const qint64 start = timing->clock.nsecsElapsed();
        controller.SpeakText(words.at(i % words.size()) + QStringLiteral(" ") + QString::number(i));
        while (timing->firstWrite < 0)
            QThread::usleep(100);
        firstSample << (timing->firstWrite - start) / 1e6;
        QThread::msleep(5);
        const qint64 stop = timing->clock.nsecsElapsed();
        controller.StopSpeech();
        const qint64 stopped = timing->clock.nsecsElapsed();
        stopCall << (stopped - stop) / 1e6;
        espeak->WaitUntilDone();
        // Silence: no sample reaches the device after StopSpeech has returned.
        toSilence << qMax<qint64>(0, timing->lastWrite - stop) / 1e6;
    }
    std::printf("SpeakText -> first sample (espeak-ng, ms): p50 %.2f  p95 %.2f  max %.2f\n",
                Percentile(firstSample, 0.5), Percentile(firstSample, 0.95), Percentile(firstSample, 1.0));
    std::printf("StopSpeech call (ms): p50 %.3f  p95 %.3f; last sample after StopSpeech (ms): p95 %.3f  max %.3f\n",
                Percentile(stopCall, 0.5), Percentile(stopCall, 0.95), Percentile(toSilence, 0.95),
                Percentile(toSilence, 1.0));

    // A dictionary of 100 000 entries.
    QByteArray file;
    for (int i = 0; i < 100000; ++i)
        file += "paraula" + QByteArray::number(i) + " substitut" + QByteArray::number(i) + "\r\n";
    const QString name = dir.filePath(QStringLiteral("dic.txt"));
    QFile out(name);
    out.open(QIODevice::WriteOnly);
    out.write(file);
    out.close();
    FormDiccionariExcepcions dictionary(settings, nullptr, dir.path());
    QElapsedTimer load;
    load.start();
    dictionary.LoadExceptionsDictionary(name);
    const double loadMs = load.nsecsElapsed() / 1e6;
    QList<double> lookups;
    int hits = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString text = (i % 2 ? QStringLiteral("PARAULA") : QStringLiteral("absent")) + QString::number(i * 5) + QLatin1Char(' ');
        QElapsedTimer one;
        one.start();
        hits += dictionary.ApplyExceptionsDictionary(text) != text;
        lookups << one.nsecsElapsed() / 1e3;
    }
    std::printf("dictionary of 100000 entries: load %.1f ms; ApplyExceptionsDictionary (us): p50 %.2f  p95 %.2f  max %.2f (%d hits)\n",
                loadMs, Percentile(lookups, 0.5), Percentile(lookups, 0.95), Percentile(lookups, 1.0), hits);
    return 0;
}
