// WAV export of a long Catalan document through the rendering program, timed against
// "espeak-ng -w" with the same voice, rate and text in the same run; the same export with
// its subtitles beside the one without, and the MP3 and Opus exports with their sizes.
// Needs a session bus: dbus-run-session -- bench_export [WORDS] [RATE]
#include "ExportBenchmarks.h"
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

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
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

    DBusDesktopWindows desktop;
    ProcessRendererLauncher launcher(paths.programDir);
    AudioExporter exporter(paths, desktop, launcher);
    ExportRequest request;
    request.text = text;
    request.name = QStringLiteral("benchmark");
    request.voice = {ExportFamily::Msp, catalan};
    request.rate = rate;
    QElapsedTimer clock;
    // Seconds taken and bytes made, nothing when the export failed.
    const auto timed = [&](ExportFormat format, SubtitleChoice subtitles) -> std::optional<std::pair<double, qint64>> {
        request.format = format;
        request.subtitles = subtitles;
        clock.restart();
        const ExportResult result = exporter.Export(request);
        const double seconds = clock.elapsed() / 1000.0;
        if (!result.ok || result.subtitleFiles.size() != int(subtitles.srt) + int(subtitles.lrc)) {
            std::fprintf(stderr, "bench_export: %s%s\n", qPrintable(result.reason), qPrintable(result.notice));
            return std::nullopt;
        }
        const qint64 bytes = QFileInfo(result.file).size();
        QFile::remove(result.file);
        return std::pair{seconds, bytes};
    };
    // Without and with subtitles in turn, after one export that warms the caches: the
    // median of three of each.
    QList<double> plainSeconds;
    QList<double> subtitledSeconds;
    qint64 exportBytes = 0;
    for (int i = 0; i < 7; ++i) {
        const auto run = timed(ExportFormat::Wav, i % 2 == 0 ? SubtitleChoice{} : kAllSubtitles);
        if (!run)
            return 1;
        exportBytes = run->second;
        if (i > 0)
            (i % 2 == 0 ? plainSeconds : subtitledSeconds) << run->first;
    }
    const auto mp3 = timed(ExportFormat::Mp3, kAllSubtitles);
    const auto opus = timed(ExportFormat::Opus, kAllSubtitles);
    if (!mp3 || !opus)
        return 1;
    const double exportSeconds = ExportBenchmarks::Median(plainSeconds);
    const double subtitledExportSeconds = ExportBenchmarks::Median(subtitledSeconds);

    const QString identifier = VoiceCatalog::EspeakVoices().at(catalan).identifier;
    const QString reference = dir.filePath(QStringLiteral("espeak.wav"));
    clock.restart();
    const int status = QProcess::execute(
        QStringLiteral("espeak-ng"),
        {QStringLiteral("-v"), identifier, QStringLiteral("-s"),
         QString::number(VoiceCatalog::EspeakWordsPerMinute(rate)), QStringLiteral("-w"), reference,
         QStringLiteral("-f"), textFile});
    const double espeakSeconds = clock.elapsed() / 1000.0;
    if (status != 0) {
        std::fprintf(stderr, "bench_export: espeak-ng failed\n");
        return 1;
    }
    const qint64 espeakBytes = QFileInfo(reference).size();

    std::printf("words %d, rate %d (%d words per minute), voice %s\n", words, rate,
                VoiceCatalog::EspeakWordsPerMinute(rate), qPrintable(identifier));
    std::printf("WAV export  %8.2f s  %lld bytes (median of 3)\n", exportSeconds, static_cast<long long>(exportBytes));
    std::printf("espeak-ng -w %7.2f s  %lld bytes\n", espeakSeconds, static_cast<long long>(espeakBytes));
    std::printf("ratio %.3f (limit 1.2)\n", exportSeconds / espeakSeconds);
    const double subtitleRatio = subtitledExportSeconds / exportSeconds;
    std::printf("WAV export with .srt and .lrc %8.2f s, without %8.2f s (medians of 3): ratio %.3f (limit 1.05)\n",
                subtitledExportSeconds, exportSeconds, subtitleRatio);
    std::printf("MP3 export  %8.2f s  %lld bytes (lame)\n", mp3->first, static_cast<long long>(mp3->second));
    std::printf("Opus export %8.2f s  %lld bytes (opusenc, %.0f %% of the MP3)\n", opus->first,
                static_cast<long long>(opus->second), 100.0 * double(opus->second) / double(mp3->second));

    // One sentence through the whole command line, as a teacher's script runs it,
    // against espeak-ng -w of the same sentence: the median of five runs each.
    const QString sentence = dir.filePath(QStringLiteral("sentence.txt"));
    {
        QFile file(sentence);
        file.open(QIODevice::WriteOnly);
        file.write("El gat dorm al sol de la tarda.\n");
    }
    QList<qint64> tool;
    QList<qint64> program;
    for (int i = 0; i < 5; ++i) {
        clock.restart();
        const int toolStatus = QProcess::execute(
            QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool"),
            {QStringLiteral("export-wav"), QStringLiteral("--voice"), QString::number(catalan), QStringLiteral("--rate"),
             QString::number(rate), QStringLiteral("--name"), QStringLiteral("bench-sentence"), sentence});
        tool << clock.elapsed();
        clock.restart();
        QProcess::execute(QStringLiteral("espeak-ng"),
                          {QStringLiteral("-v"), identifier, QStringLiteral("-s"),
                           QString::number(VoiceCatalog::EspeakWordsPerMinute(rate)), QStringLiteral("-w"), reference,
                           QStringLiteral("-f"), sentence});
        program << clock.elapsed();
        if (toolStatus != 0) {
            std::fprintf(stderr, "bench_export: tolvanet-tool export-wav failed (%d)\n", toolStatus);
            return 1;
        }
    }
    std::printf("one sentence: tolvanet-tool export-wav %lld ms, espeak-ng -w %lld ms (limit espeak-ng + 300 ms)\n",
                ExportBenchmarks::Median(tool), ExportBenchmarks::Median(program));
    return exportSeconds <= 1.2 * espeakSeconds && subtitleRatio <= 1.05 && ExportBenchmarks::Median(tool) <= ExportBenchmarks::Median(program) + 300
        ? 0 : 3;
}
