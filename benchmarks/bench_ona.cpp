// Festival's ona (the UPCTV library's Catalan woman) beside espeak-ng's Catalan voice, as
// the editor's echo asks them: from a letter and from a word handed to the speech front
// to their first sound at the null sink, p50 and p95; and the memory of this process and
// its children (festival's resident child) with espeak-ng only and with ona loaded. Needs
// a sound server with a null sink named nullsink (test.sh starts one).
#include "benchmarks/CNumbers.h"
#include "core/SettingsStore.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const int kRuns = qEnvironmentVariableIntValue("BENCH_KEYS") > 0 ? qEnvironmentVariableIntValue("BENCH_KEYS") : 30;

qint64 Percentile(QList<qint64> values, int percent)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(qMin<qsizetype>(values.size() - 1, values.size() * percent / 100));
}

// Resident memory in kilobytes of a process and, in turn, of all its children.
qint64 ResidentKb(const QString &pid)
{
    qint64 kb = 0;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                kb = line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    for (const QString &task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid, task));
        if (children.open(QIODevice::ReadOnly))
            for (const QString &child : QString::fromLatin1(children.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                kb += ResidentKb(child);
    }
    return kb;
}

struct Heard
{
    QList<qint64> letter;
    QList<qint64> word;
};

Heard TimeEcho(SinkMonitor &monitor, SpeechController &speech)
{
    Heard heard;
    const auto first = [&](const QString &text) {
        monitor.WaitForSilence(300, 10000);
        monitor.Clear();
        const qint64 start = monitor.NowMs();
        speech.SpeakText(text);
        const qint64 ms = monitor.WaitForSound(10000) ? monitor.FirstSoundMs() - start : -1;
        speech.StopSpeech();
        return ms;
    };
    for (int i = 0; i < kRuns; ++i) {
        if (const qint64 ms = first(QStringLiteral("a")); ms >= 0)
            heard.letter << ms;
        if (const qint64 ms = first(QStringLiteral("casa ")); ms >= 0)
            heard.word << ms;
    }
    return heard;
}

void Report(const char *voice, const Heard &heard)
{
    std::printf("%-28s letter p50 %4lld ms p95 %4lld ms   word p50 %4lld ms p95 %4lld ms   (%lld/%lld heard of %d)\n",
                voice, Percentile(heard.letter, 50), Percentile(heard.letter, 95), Percentile(heard.word, 50),
                Percentile(heard.word, 95), static_cast<long long>(heard.letter.size()),
                static_cast<long long>(heard.word.size()), kRuns);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    FiguresInTheCLocale();
    const QString why = SinkMonitor::Unavailable();
    SinkMonitor monitor;
    if (!why.isEmpty() || !monitor.Start()) {
        std::fprintf(stderr, "bench_ona: no sound server to listen to: %s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
    RealSpeechEngines engines(QCoreApplication::applicationDirPath(), nullptr);
    SpeechController speech(settings, engines.Engines(), nullptr);
    speech.SetUp();
    const QString self = QString::number(QCoreApplication::applicationPid());

    speech.SetSelectedIndex(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
    speech.SelectVoice();
    const Heard espeak = TimeEcho(monitor, speech);
    const qint64 withoutKb = ResidentKb(self);

    const int ona = speech.VoiceEntries().indexOf(VoiceCatalog::UpctvEntryText(1));
    if (ona < 0) {
        std::fprintf(stderr, "bench_ona: the UPCTV library is not beside the program\n");
        return 1;
    }
    speech.SetSelectedIndex(ona);
    speech.SelectVoice();
    const Heard festival = TimeEcho(monitor, speech);
    const qint64 withKb = ResidentKb(self);

    std::printf("From the speech front to the first sound at the null sink:\n");
    Report("espeak-ng Catalan (yardstick)", espeak);
    Report("UPCTV - Dona - Català (ona)", festival);
    std::printf("memory of the process and its children: espeak-ng only %lld MB, with ona loaded %lld MB, "
                "%lld MB more (limit 150)\n",
                withoutKb / 1024, withKb / 1024, (withKb - withoutKb) / 1024);
    return Percentile(festival.letter, 95) <= 100 && Percentile(festival.word, 95) <= 100
                   && withKb - withoutKb <= 150 * 1024 ? 0 : 3;
}
