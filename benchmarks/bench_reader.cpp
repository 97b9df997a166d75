// Measures the reader's keys where they are heard, at the sound server's null sink,
// with the espeak-ng Catalan voice: F12 from the key to the last sound beside F11's,
// taken in turn in the same run; F12 again, from the key to the first sound, beside
// word echo's blank-to-sound time; and Alt+Right while reading a 100 000-word document
// (in paragraphs, and in one) beside a 100-word one, in turn, from the key to the jump's reading handed to the
// speech and to its first word heard. Needs a sound server with a null sink named
// nullsink (test.sh starts one).
#include "HeardAtTheSink.h"

#include "app/reading/ReadingSession.h"
#include "app/reading/ReadingTriggers.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "speech/SpeechController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

using HeardAtTheSink::FirstSound;
using HeardAtTheSink::Report;

const int kRuns = qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 20;

// Sentences of ten words each, the given number of words in all, in paragraphs of a
// hundred words; or all in one paragraph.
QString Document(int words, bool oneParagraph = false)
{
    static const QStringList sentence = {"El", "gat", "menja", "peix", "a", "la", "cuina", "cada", "matí", "tranquil."};
    QString all;
    all.reserve(words * 6);
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            all += !oneParagraph && i % 100 == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
        all += sentence.at(i % sentence.size());
    }
    return all;
}

// Waits until the speech has told a word of the reading, or gives up.
bool WaitForWord(QSignalSpy &words, UtteranceId reading, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (qsizetype seen = 0; clock.elapsed() < timeoutMs;) {
        for (; seen < words.size(); ++seen)
            if (words.at(seen).first().value<UtteranceId>() == reading)
                return true;
        words.wait(50);
    }
    return false;
}

// F11 and F12 in turn, a second into a reading; after F12, F12 again; then a word
// typed at the end with word echo.
void MeasurePauses(SinkMonitor &monitor, ProgramWindows &windows, const QString &small)
{
    EditorWidget *edit = windows.main->Edit();
    const ReadingSession &reading = windows.triggers->Session();
    QList<qint64> silence[2];
    QList<qint64> resume;
    QList<qint64> wordEcho;
    for (int i = 0; i < 2 * kRuns; ++i) {
        const bool pause = i % 2 == 1;
        edit->setPlainText(small);
        FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_F7); });
        monitor.Listen(1000);
        monitor.Clear();
        const qint64 key = monitor.NowMs();
        QTest::keyClick(edit, pause ? Qt::Key_F12 : Qt::Key_F11);
        monitor.WaitForSilence(500, 10000);
        silence[pause ? 1 : 0] << qMax<qint64>(0, monitor.LastSoundMs() - key);
        if (pause) {
            if (!reading.Paused())
                std::fprintf(stderr, "F12 did not pause in run %d\n", i);
            const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_F12); });
            if (ms >= 0)
                resume << ms;
            QTest::keyClick(edit, Qt::Key_F11);
        }
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral(" casa"));
        const qint64 word = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_Space); });
        if (word >= 0)
            wordEcho << word;
    }

    std::printf("The reader's keys, Catalan espeak-ng voice, at the null sink:\n");
    Report("  F11, key to the last sound (yardstick)", silence[0]);
    Report("  F12, key to the last sound", silence[1]);
    Report("  F12 again, key to the first sound", resume);
    Report("  word echo, blank to the first sound (yardstick)", wordEcho);
}

// Alt+Right two words into a reading of each document in turn.
void MeasureJumps(SinkMonitor &monitor, ProgramWindows &windows, const QString &small)
{
    EditorWidget *edit = windows.main->Edit();
    const QString bigs[2] = {Document(100000), Document(100000, true)};
    SpeechController *speech = windows.speech.get();
    QList<qint64> handed[3];
    QList<qint64> heard[3];
    QList<qint64> wholeF7[3];
    QList<qint64> handedF7[3];
    for (int i = 0; i < 3 * kRuns; ++i) {
        const int large = i % 3;
        edit->setPlainText(large ? bigs[large - 1] : small);
        monitor.WaitForSilence(300, 10000);
        QSignalSpy readings(&windows.triggers->Session(), &ReadingSession::partStarted);
        QSignalSpy words(speech, &SpeechController::wordHeard);
        QElapsedTimer clock;
        clock.start();
        // The jump is timed as its reading is handed to the speech, not when the spy's
        // wait returns: a paint queued meanwhile runs before the wait does.
        qint64 handedMs = -1;
        QObject handing;
        QObject::connect(&windows.triggers->Session(), &ReadingSession::partStarted, &handing, [&] {
            if (handedMs == -2)
                handedMs = clock.elapsed();
        });
        handedMs = -2;
        QTest::keyClick(edit, Qt::Key_F7);
        if (!readings.wait(10000))
            continue;
        handedF7[large] << handedMs;
        const UtteranceId first = readings.first().first().value<UtteranceId>();
        if (!WaitForWord(words, first, 10000))
            continue;
        wholeF7[large] << clock.elapsed();
        monitor.Listen(400);
        readings.clear();
        words.clear();
        handedMs = -2;
        clock.restart();
        QTest::keyClick(edit, Qt::Key_Right, Qt::AltModifier);
        if (readings.isEmpty() && !readings.wait(10000))
            continue;
        handed[large] << handedMs;
        const UtteranceId jump = readings.first().first().value<UtteranceId>();
        if (WaitForWord(words, jump, 10000))
            heard[large] << clock.elapsed();
        QTest::keyClick(edit, Qt::Key_F11);
    }

    std::printf("Alt+Right while reading, 100 words beside 100 000 words (paragraphs of 100 words; one paragraph):\n");
    const char *const sizes[3] = {"100 words", "100 000 words", "100 000 words in one paragraph"};
    for (int large = 0; large < 3; ++large) {
        const QByteArray of = QByteArray(", ") + sizes[large];
        Report(("  F7 to its reading handed to the speech" + of).constData(), handedF7[large]);
        Report(("  F7 to its first word heard" + of + (large == 0 ? " (yardstick)" : "")).constData(), wholeF7[large]);
        Report(("  key to the jump handed to the speech" + of).constData(), handed[large]);
        Report(("  key to the jump's first word heard" + of).constData(), heard[large]);
    }
}

int Measure(HeardAtTheSink::Session &session)
{
    auto windows = HeardAtTheSink::StartEditor(session.dir, "LLEGIR PARAULES=SI\r\n");
    if (!windows)
        return 1;
    windows->main->Edit()->setFocus();
    const QString small = Document(100);
    MeasurePauses(session.monitor, *windows, small);
    MeasureJumps(session.monitor, *windows, small);
    windows->main->Document().SetModified(false);
    windows->main->close();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return HeardAtTheSink::Main(argc, argv, Measure);
}
