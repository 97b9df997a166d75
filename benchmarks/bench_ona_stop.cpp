// How long stopping ona takes while festival is slow to start and while it never
// answers: each Stop from the moment festival runs, p50, p95 and the slowest, beside
// the 50 ms a stop may take. festival is a stand-in put first on the PATH.
#include "benchmarks/CNumbers.h"
#include "engines/UpctvLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kYardstickMs = 50;
const int kRuns = qEnvironmentVariableIntValue("BENCH_STOPS") > 0 ? qEnvironmentVariableIntValue("BENCH_STOPS") : 20;

qint64 LineCount(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

struct Figures
{
    QList<double> ms;
    int failed = 0;
};

// Starts a reading, waits until festival runs (and a moment more, for it to be waited
// on), and times the stop.
Figures TimeStops(DlopenUpctvLibrary &library, const QString &starts, const QString &modeFile, const char *mode)
{
    QFile chosen(modeFile);
    if (chosen.open(QIODevice::WriteOnly | QIODevice::Truncate))
        chosen.write(mode);
    chosen.close();
    Figures figures;
    for (int run = 0; run < kRuns; ++run) {
        const qint64 before = LineCount(starts);
        if (!library.Read("Bon dia a tothom.")) {
            ++figures.failed;
            continue;
        }
        QElapsedTimer waited;
        waited.start();
        while (LineCount(starts) == before && waited.elapsed() < 5000)
            QThread::msleep(5);
        QThread::msleep(100);
        QElapsedTimer timer;
        timer.start();
        library.Stop();
        figures.ms.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(figures.ms.begin(), figures.ms.end());
    return figures;
}

void Report(const char *festival, const Figures &figures)
{
    if (figures.ms.isEmpty()) {
        std::printf("%-22s no reading started (%d failed)\n", festival, figures.failed);
        return;
    }
    const auto at = [&](int percent) { return figures.ms.at(qMin<qsizetype>(figures.ms.size() - 1, figures.ms.size() * percent / 100)); };
    std::printf("%-22s stops %3lld  p50 %7.2f ms  p95 %7.2f ms  slowest %7.2f ms  yardstick %lld ms  %s\n", festival,
                static_cast<long long>(figures.ms.size()), at(50), at(95), figures.ms.last(), static_cast<long long>(kYardstickMs),
                figures.ms.last() <= kYardstickMs ? "within" : "OVER");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath(QStringLiteral("bin")));
    const QString programs = QCoreApplication::applicationDirPath();
    if (!QFile::link(programs + QStringLiteral("/fake_festival"), folder.filePath(QStringLiteral("bin/festival")))) {
        std::fprintf(stderr, "bench_ona_stop: fake_festival is not beside this program\n");
        return 1;
    }
    qputenv("PATH", folder.filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + qgetenv("PATH"));
    const QString starts = folder.filePath(QStringLiteral("starts"));
    qputenv("TOLVANET_FAKE_FESTIVAL_STARTS", starts.toLocal8Bit());
    // The stand-in reads what to do from a file, set before the library starts threads.
    const QString modeFile = folder.filePath(QStringLiteral("mode"));
    qputenv("TOLVANET_FAKE_FESTIVAL", modeFile.toLocal8Bit());
    DlopenUpctvLibrary library({programs + QStringLiteral("/libupctv.so")});
    if (!library.Load() || !library.SetLanguage(99) || !library.SetSpeaker(2) || library.SynthesizerMissing()) {
        std::fprintf(stderr, "bench_ona_stop: libupctv.so or festival's ona voice is missing\n");
        return 1;
    }
    std::printf("Stopping ona (%d readings each)\n", kRuns);
    Report("festival slow to start", TimeStops(library, starts, modeFile, "slowstart"));
    Report("festival never answers", TimeStops(library, starts, modeFile, "mute"));
    QElapsedTimer unload;
    unload.start();
    library.Unload();
    std::printf("%-22s %7.2f ms (every thread of the library joined)\n", "unloading after", double(unload.nsecsElapsed()) / 1e6);
    return 0;
}
