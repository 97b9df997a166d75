// The read-along book (EPUB) and the audiobook (M4B) of a Catalan document with
// chapters, timed against the MP3 export with subtitles of the same text, voice and rate
// in the same run: the median of three of each, taken in turn.
// Needs a session bus: dbus-run-session -- bench_book [WORDS] [RATE]
#include "ExportBenchmarks.h"
#include "benchmarks/CNumbers.h"
#include "export/AudioExportPrograms.h"
#include "book/BookExporter.h"
#include "platform/DesktopWindowsDBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    const QStringList arguments = QCoreApplication::arguments();
    const int words = arguments.size() > 1 ? arguments.at(1).toInt() : 10000;
    const int rate = arguments.size() > 2 ? arguments.at(2).toInt() : 0;
    const int catalan = ExportBenchmarks::CatalanVoiceOrSay("bench_book");
    if (catalan < 0)
        return 1;

    QTemporaryDir dir;
    const AppPaths paths = ExportBenchmarks::ProgramFolderIn(dir);
    DBusDesktopWindows desktop;
    ProcessRendererLauncher launcher(paths.programDir);
    BookExporter books(paths, desktop, launcher);
    AudioExporter &sounds = books.Recorder();

    BookRequest request;
    // A chapter heading every 800 words or so, paragraphs of six sentences between.
    request.audio.text = ExportBenchmarks::CatalanText(words, QStringLiteral("\n\n"), 800);
    request.audio.name = QStringLiteral("benchmark");
    request.audio.voice = {ExportFamily::Msp, catalan};
    request.audio.voiceName = QStringLiteral("Catalan");
    request.audio.rate = rate;
    request.fallbackTitle = QStringLiteral("benchmark");
    QElapsedTimer clock;
    // Seconds taken; nothing when the export failed.
    const auto timed = [&](int kind) -> std::optional<double> {
        clock.restart();
        ExportResult result;
        if (kind == 0) {
            ExportRequest mp3 = request.audio;
            mp3.format = ExportFormat::Mp3;
            mp3.subtitles = kAllSubtitles;
            result = sounds.Export(mp3);
        } else {
            request.format = kind == 1 ? BookFormat::Epub : BookFormat::M4b;
            result = books.Export(request);
        }
        const double seconds = clock.elapsed() / 1000.0;
        if (!result.ok) {
            std::fprintf(stderr, "bench_book: %s\n", qPrintable(result.reason));
            return std::nullopt;
        }
        QFile::remove(result.file);
        return seconds;
    };
    // One of each first, to warm the caches; then three rounds in turn.
    QList<double> seconds[3];
    for (int round = 0; round < 4; ++round)
        for (int kind = 0; kind < 3; ++kind) {
            const std::optional<double> taken = timed(kind);
            if (!taken)
                return 1;
            if (round > 0)
                seconds[kind] << *taken;
        }
    const double mp3 = ExportBenchmarks::Median(seconds[0]);
    const double epub = ExportBenchmarks::Median(seconds[1]);
    const double m4b = ExportBenchmarks::Median(seconds[2]);
    std::printf("%d words, %d chapters, espeak-ng Catalan at rate %d (median of 3)\n", words,
                int(request.audio.text.count(QStringLiteral("Capítol"))), rate);
    std::printf("  MP3 export with subtitles (yardstick)  %8.2f s\n", mp3);
    std::printf("  EPUB read-along book                   %8.2f s  %.2fx (target <= 1.15x)\n", epub, epub / mp3);
    std::printf("  M4B audiobook                          %8.2f s  %.2fx (target <= 1.20x)\n", m4b, m4b / mp3);
    return 0;
}
