// WAV export of a long Catalan document with the UPCTV library's Catalan woman (festival's
// ona), timed against one text2wave with that voice on the same text in the same run; the
// recordings' lengths side by side. Needs a session bus:
// dbus-run-session -- bench_export_ona [WORDS]
#include "ExportBenchmarks.h"

#include "benchmarks/CNumbers.h"
#include "core/AppPaths.h"
#include "platform/DesktopWindowsDBus.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

QString Document(int words)
{
    const QStringList sentences{
        QStringLiteral("La mestra llegeix un conte als nens de la classe."),
        QStringLiteral("Avui plou i anem a l'escola amb el paraigua."),
        QStringLiteral("Els ocells canten a les branques dels arbres del parc."),
        QStringLiteral("Vint-i-tres alumnes escriuen una carta a la seva avia."),
    };
    QString text;
    for (int i = 0, count = 0; count < words; ++i) {
        const QString &sentence = sentences.at(i % sentences.size());
        text += sentence + (i % 5 == 4 ? QLatin1Char('\n') : QLatin1Char(' '));
        count += int(sentence.count(QLatin1Char(' '))) + 1;
    }
    return text;
}

double Seconds(const QString &wav)
{
    QProcess soxi;
    soxi.start(QStringLiteral("soxi"), {QStringLiteral("-D"), wav});
    soxi.waitForFinished(60000);
    return soxi.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    const QStringList arguments = QCoreApplication::arguments();
    const int words = arguments.size() > 1 ? arguments.at(1).toInt() : 10000;
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "bench_export_ona: no D-Bus session bus (run it under dbus-run-session)\n");
        return 1;
    }
    if (const QString missing = UpctvRenderingProblem({ExportFamily::Upctv, 1}); !missing.isEmpty()) {
        std::fprintf(stderr, "bench_export_ona: %s\n", qPrintable(missing));
        return 1;
    }
    QTemporaryDir dir;
    for (const char *program : {"SonnerixaWav", "libupctv.so"})
        QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                    dir.filePath(QLatin1String(program)));
    const AppPaths paths = AppPaths::ForProgramDir(dir.path());
    const QString text = Document(words);
    const QString textFile = ExportBenchmarks::DocumentFileIn(dir, text.toLatin1());

    DBusDesktopWindows desktop;
    ProcessRendererLauncher launcher(paths.programDir);
    AudioExporter exporter(paths, desktop, launcher);
    ExportRequest request;
    request.text = text;
    request.name = QStringLiteral("ona");
    request.voice = {ExportFamily::Upctv, 1};
    QElapsedTimer clock;
    clock.start();
    const ExportResult result = exporter.Export(request);
    const double exportSeconds = clock.elapsed() / 1000.0;
    if (!result.ok) {
        std::fprintf(stderr, "bench_export_ona: %s\n", qPrintable(result.reason));
        return 1;
    }

    const QString reference = dir.filePath(QStringLiteral("text2wave.wav"));
    clock.restart();
    const int status = QProcess::execute(QStringLiteral("text2wave"),
                                         {QStringLiteral("-eval"), QStringLiteral("(voice_upc_ca_ona_hts)"), textFile,
                                          QStringLiteral("-o"), reference});
    const double festivalSeconds = clock.elapsed() / 1000.0;
    if (status != 0) {
        std::fprintf(stderr, "bench_export_ona: text2wave failed\n");
        return 1;
    }
    std::printf("words %d, %d cores\n", words, QThread::idealThreadCount());
    std::printf("WAV export with ona %8.2f s, recording %8.2f s\n", exportSeconds, Seconds(result.file));
    std::printf("text2wave           %8.2f s, recording %8.2f s\n", festivalSeconds, Seconds(reference));
    const double ratio = exportSeconds / festivalSeconds;
    std::printf("ratio %.3f (limit 0.6)\n", ratio);
    return ratio <= 0.6 ? 0 : 3;
}
