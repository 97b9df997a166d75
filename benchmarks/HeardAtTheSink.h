#pragma once

// What the benchmarks that listen at the test sound server's null sink share: the
// editor started with a Catalan espeak-ng voice and some reading options, percentiles,
// and the time from an action to its first sound.
#include "app/shell/Startup.h"
#include "benchmarks/CNumbers.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace HeardAtTheSink
{
inline int &DrawnOffScreen(int &argc)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

// What each of these benchmarks starts with: windows drawn off screen, the null sink's
// monitor, and a folder of its own for the editor's settings.
struct Session
{
    Session(int &argc, char **argv) : application(DrawnOffScreen(argc), argv) { FiguresInTheCLocale(); }

    QApplication application;
    SinkMonitor monitor;
    QTemporaryDir dir;
};

// Starts recording the null sink; false, and why on stderr, when there is none.
inline bool Listening(SinkMonitor &monitor)
{
    const QString why = SinkMonitor::Unavailable();
    if (!why.isEmpty() || !monitor.Start()) {
        std::fprintf(stderr, "no sound server to listen to: %s\n", qPrintable(why));
        return false;
    }
    return true;
}

// The whole of such a benchmark's main: the session and, when the null sink can be
// heard, the measurements; 1 when it cannot.
inline int Main(int argc, char **argv, int (*measure)(Session &))
{
    Session session(argc, argv);
    if (!Listening(session.monitor))
        return 1;
    return measure(session);
}

inline int CatalanVoice()
{
    return VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"));
}

// The window, with its settings file in dir: the Catalan voice and the given lines of
// [LlibreriaLlegir] ("LLEGIR LLETRES=SI\r\n"...). Null when the file cannot be written.
inline std::unique_ptr<ProgramWindows> StartEditor(const QTemporaryDir &dir, const QByteArray &readingOptions)
{
    QFile settings(dir.filePath(QStringLiteral("tolvanet.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return nullptr;
    settings.write("[tts]\r\nNumero sintetitzador=" + QByteArray::number(CatalanVoice()) + "\r\n[LlibreriaLlegir]\r\n"
                   + readingOptions);
    settings.close();
    StartupOptions options;
    options.paths = AppPaths::InDirectory(dir.path(), QCoreApplication::applicationDirPath());
    options.splash = false;
    options.firstRunWindow = false;
    return StartProgram(options);
}

inline qint64 Percentile(QList<qint64> values, int percent)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(qMin<qsizetype>(values.size() - 1, values.size() * percent / 100));
}

inline void Report(const char *what, const QList<qint64> &values, const char *unit = "ms")
{
    std::printf("%-62s p50 %5lld %s   p95 %5lld %s   (%lld runs)\n", what, Percentile(values, 50), unit,
                Percentile(values, 95), unit, static_cast<long long>(values.size()));
}

// From the start of something to its first sound; -1 when nothing was heard.
template <typename Begin>
qint64 FirstSound(SinkMonitor &monitor, Begin begin)
{
    monitor.WaitForSilence(300, 10000);
    monitor.Clear();
    const qint64 start = monitor.NowMs();
    begin();
    if (!monitor.WaitForSound(10000))
        return -1;
    return monitor.FirstSoundMs() - start;
}
} // namespace HeardAtTheSink
