// WAV export of a long Catalan document through the rendering program, timed against
// "espeak-ng -w" with the same voice, rate and text in the same run; the same export with
// its subtitles beside the one without, and the MP3 and Opus exports with their sizes.
// Needs a session bus: dbus-run-session -- bench_export [WORDS] [RATE]
#include "ExportBenchmarks.h"
#include "benchmarks/CNumbers.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "platform/DesktopWindowsDBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

// Seconds taken and bytes made by one export.
using Timed = std::pair<double, qint64>;

// Exports of one document through the rendering program, timed.
class TimedExports
{
public:
    TimedExports(const AppPaths &paths, ExportRequest request)
        : launcher_(paths.programDir), exporter_(paths, desktop_, launcher_), request_(std::move(request))
    {
    }

    // Nothing, and why on stderr, when the export failed.
    std::optional<Timed> Run(ExportFormat format, SubtitleChoice subtitles)
    {
        request_.format = format;
        request_.subtitles = subtitles;
        QElapsedTimer clock;
        clock.start();
        const ExportResult result = exporter_.Export(request_);
        const double seconds = clock.elapsed() / 1000.0;
        if (!result.ok || result.subtitleFiles.size() != int(subtitles.srt) + int(subtitles.lrc)) {
            std::fprintf(stderr, "bench_export: %s%s\n", qPrintable(result.reason), qPrintable(result.notice));
            return std::nullopt;
        }
        const qint64 bytes = QFileInfo(result.file).size();
        QFile::remove(result.file);
        return Timed{seconds, bytes};
    }

private:
    DBusDesktopWindows desktop_;
    ProcessRendererLauncher launcher_;
    AudioExporter exporter_;
    ExportRequest request_;
};

struct WavTimes
{
    double plainSeconds = 0;
    double subtitledSeconds = 0;
    qint64 bytes = 0;
};

// Without and with subtitles in turn, after one export that warms the caches: the
// median of three of each.
std::optional<WavTimes> MeasureWav(TimedExports &exports)
{
    QList<double> plainSeconds;
    QList<double> subtitledSeconds;
    WavTimes times;
    for (int i = 0; i < 7; ++i) {
        const auto run = exports.Run(ExportFormat::Wav, i % 2 == 0 ? SubtitleChoice{} : kAllSubtitles);
        if (!run)
            return std::nullopt;
        times.bytes = run->second;
        if (i > 0)
            (i % 2 == 0 ? plainSeconds : subtitledSeconds) << run->first;
    }
    times.plainSeconds = ExportBenchmarks::Median(plainSeconds);
    times.subtitledSeconds = ExportBenchmarks::Median(subtitledSeconds);
    return times;
}

// espeak-ng -w of the text file into wav, with the voice and rate of the exports; its
// status.
int EspeakToWav(const QString &identifier, int rate, const QString &textFile, const QString &wav)
{
    return QProcess::execute(QStringLiteral("espeak-ng"),
                             {QStringLiteral("-v"), identifier, QStringLiteral("-s"),
                              QString::number(VoiceCatalog::EspeakWordsPerMinute(rate)), QStringLiteral("-w"), wav,
                              QStringLiteral("-f"), textFile});
}

// One sentence through the whole command line, as a teacher's script runs it,
// against espeak-ng -w of the same sentence: the median of five runs each, in ms.
// Nothing, and why on stderr, when the command line failed.
std::optional<std::pair<qint64, qint64>> MeasureSentence(const QTemporaryDir &dir, int catalan, int rate,
                                                         const QString &identifier, const QString &reference)
{
    const QString sentence = ExportBenchmarks::DocumentFileIn(dir, "El gat dorm al sol de la tarda.\n",
                                                              QStringLiteral("sentence.txt"));
    QList<qint64> tool;
    QList<qint64> program;
    QElapsedTimer clock;
    for (int i = 0; i < 5; ++i) {
        clock.start();
        const int toolStatus = QProcess::execute(
            QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool"),
            {QStringLiteral("export-wav"), QStringLiteral("--voice"), QString::number(catalan), QStringLiteral("--rate"),
             QString::number(rate), QStringLiteral("--name"), QStringLiteral("bench-sentence"), sentence});
        tool << clock.elapsed();
        clock.restart();
        EspeakToWav(identifier, rate, sentence, reference);
        program << clock.elapsed();
        if (toolStatus != 0) {
            std::fprintf(stderr, "bench_export: tolvanet-tool export-wav failed (%d)\n", toolStatus);
            return std::nullopt;
        }
    }
    std::printf("one sentence: tolvanet-tool export-wav %lld ms, espeak-ng -w %lld ms (limit espeak-ng + 300 ms)\n",
                ExportBenchmarks::Median(tool), ExportBenchmarks::Median(program));
    return std::pair{ExportBenchmarks::Median(tool), ExportBenchmarks::Median(program)};
}

void PrintExports(const WavTimes &wav, double espeakSeconds, qint64 espeakBytes, const Timed &mp3, const Timed &opus)
{
    std::printf("WAV export  %8.2f s  %lld bytes (median of 3)\n", wav.plainSeconds, static_cast<long long>(wav.bytes));
    std::printf("espeak-ng -w %7.2f s  %lld bytes\n", espeakSeconds, static_cast<long long>(espeakBytes));
    std::printf("ratio %.3f (limit 1.2)\n", wav.plainSeconds / espeakSeconds);
    std::printf("WAV export with .srt and .lrc %8.2f s, without %8.2f s (medians of 3): ratio %.3f (limit 1.05)\n",
                wav.subtitledSeconds, wav.plainSeconds, wav.subtitledSeconds / wav.plainSeconds);
    std::printf("MP3 export  %8.2f s  %lld bytes (lame)\n", mp3.first, static_cast<long long>(mp3.second));
    std::printf("Opus export %8.2f s  %lld bytes (opusenc, %.0f %% of the MP3)\n", opus.first,
                static_cast<long long>(opus.second), 100.0 * double(opus.second) / double(mp3.second));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    const QStringList arguments = QCoreApplication::arguments();
    const int words = arguments.size() > 1 ? arguments.at(1).toInt() : 100000;
    const int rate = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    const int catalan = ExportBenchmarks::CatalanVoiceOrSay("bench_export");
    if (catalan < 0)
        return 1;

    QTemporaryDir dir;
    const AppPaths paths = ExportBenchmarks::ProgramFolderIn(dir);
    const QString text = ExportBenchmarks::CatalanText(words, QStringLiteral("\n"));
    const QString textFile = ExportBenchmarks::DocumentFileIn(dir, text.toUtf8());
    ExportRequest request;
    request.text = text;
    request.name = QStringLiteral("benchmark");
    request.voice = {ExportFamily::Msp, catalan};
    request.rate = rate;
    TimedExports exports(paths, request);
    const auto wav = MeasureWav(exports);
    if (!wav)
        return 1;
    const auto mp3 = exports.Run(ExportFormat::Mp3, kAllSubtitles);
    const auto opus = exports.Run(ExportFormat::Opus, kAllSubtitles);
    if (!mp3 || !opus)
        return 1;

    const QString identifier = VoiceCatalog::EspeakVoices().at(catalan).identifier;
    const QString reference = dir.filePath(QStringLiteral("espeak.wav"));
    QElapsedTimer clock;
    clock.start();
    const int status = EspeakToWav(identifier, rate, textFile, reference);
    const double espeakSeconds = clock.elapsed() / 1000.0;
    if (status != 0) {
        std::fprintf(stderr, "bench_export: espeak-ng failed\n");
        return 1;
    }
    std::printf("words %d, rate %d (%d words per minute), voice %s\n", words, rate,
                VoiceCatalog::EspeakWordsPerMinute(rate), qPrintable(identifier));
    PrintExports(*wav, espeakSeconds, QFileInfo(reference).size(), *mp3, *opus);

    const auto sentence = MeasureSentence(dir, catalan, rate, identifier, reference);
    if (!sentence)
        return 1;
    return wav->plainSeconds <= 1.2 * espeakSeconds && wav->subtitledSeconds / wav->plainSeconds <= 1.05
                   && sentence->first <= sentence->second + 300
               ? 0
               : 3;
}
