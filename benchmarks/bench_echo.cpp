// Measures how far letter echo trails fast typing, where it is heard: 28 characters
// typed into the editor at 120 ms a key (letter echo on, espeak-ng Catalan voice), a
// sentence with its blanks and 28 letters without one, and from the last key to the
// last sound at the null sink. Yardsticks from the same run:
// the sound of one letter as espeak-ng makes it, and the time the burst took to type.
// Needs a sound server with a null sink named nullsink (test.sh starts one).
#include "HeardAtTheSink.h"

#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/EspeakSamples.h"
#include "tests/common/SinkMonitor.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kKeyMs = 120;
const QString kBursts[] = {QStringLiteral("el gat menja peix a la cuina"),
                           QStringLiteral("abcdefghijklmnopqrstuvwxyzab")};
const int kRuns = qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 5;

qint64 Median(const QList<qint64> &values)
{
    return HeardAtTheSink::Percentile(values, 50);
}

int Measure(HeardAtTheSink::Session &session)
{
    SinkMonitor &monitor = session.monitor;
    const int catalan = VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"));
    auto windows = HeardAtTheSink::StartEditor(session.dir, "LLEGIR LLETRES=SI\r\n");
    if (!windows)
        return 1;
    EditorWidget *edit = windows->main->Edit();
    edit->setFocus();

    QList<qint64> lag[2];
    QList<qint64> typing[2];
    for (int run = 0; run < 2 * kRuns; ++run) {
        const int burst = run % 2;
        edit->clear();
        monitor.WaitForSilence(500, 20000);
        monitor.Clear();
        const qint64 first = monitor.NowMs();
        for (QChar c : kBursts[burst]) {
            QTest::keyClicks(edit, QString(c));
            WaitWithEvents(kKeyMs);
        }
        const qint64 lastKey = monitor.NowMs() - kKeyMs;
        monitor.WaitForSilence(1000, 60000);
        typing[burst] << lastKey - first;
        lag[burst] << qMax<qint64>(0, monitor.LastSoundMs() - lastKey);
    }
    windows->main->Document().SetModified(false);
    windows->main->close();

    const QVector<qint16> letter = EspeakSamples(QStringLiteral("a"), catalan, 0);
    const qint64 letterMs = qint64(letter.size()) * 1000 / VoiceCatalog::EspeakSampleRate();
    std::printf("Letter echo of 28 characters typed at %d ms a key, Catalan espeak-ng voice (%d runs each):\n",
                kKeyMs, kRuns);
    for (int burst = 0; burst < 2; ++burst) {
        std::printf("  \"%s\": last key to last sound (the lag) median %5lld ms, worst %5lld ms; typed in %lld ms\n",
                    qPrintable(kBursts[burst]), Median(lag[burst]),
                    *std::max_element(lag[burst].begin(), lag[burst].end()), Median(typing[burst]));
    }
    std::printf("  yardstick: one letter (\"a\") as espeak-ng makes it, %lld ms of audio\n", letterMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return HeardAtTheSink::Main(argc, argv, Measure);
}
