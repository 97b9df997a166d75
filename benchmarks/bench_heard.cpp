// Measures speech where it is heard, at the sound server: from a key typed in the
// editor (letter echo on, espeak-ng Catalan voice) to the first sound at the null
// sink, p50 and p95 over 50 keys, and from a blank to the sound of its word, with
// spelling on and off in turn, and the same with festival's ona, beside
// `espeak-ng -v ca "a"` from its start to its first sound; F7 over a 1000-word document, with the heard word's highlight on and
// off; in a 100 000-word document, how long the highlight takes from a word's news to
// the word shown, for words at the document's end beside words at its start, with a
// frame of the screen and a word's length of sound as yardsticks; and how long
// tolvanet-tool say takes over a 100-word text, from its start to its last sound,
// beside the text's audio length. Needs a sound server with a null sink named
// nullsink (test.sh starts one).
#include "HeardAtTheSink.h"

#include "app/reading/ReadingTriggers.h"
#include "app/reading/SpokenWordHighlight.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/EspeakSamples.h"
#include "tests/common/SinkMonitor.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

using HeardAtTheSink::FirstSound;
using HeardAtTheSink::Report;

const int kKeys = qEnvironmentVariableIntValue("BENCH_KEYS") > 0 ? qEnvironmentVariableIntValue("BENCH_KEYS") : 50;

// The yardstick: espeak-ng as a program, which has a process to start.
QList<qint64> MeasureProgram(SinkMonitor &monitor)
{
    QList<qint64> program;
    for (int i = 0; i < kKeys; ++i) {
        QProcess espeak;
        const qint64 ms = FirstSound(monitor, [&] { espeak.start(QStringLiteral("espeak-ng"), {"-v", "ca", "a"}); });
        QSignalSpy(&espeak, &QProcess::finished).wait(10000);
        if (ms >= 0)
            program << ms;
    }
    return program;
}

// The times from a key to its echo heard, letters and words, in ms.
struct Echoes
{
    QList<qint64> letter;
    QList<qint64> word;
};

// Letter and word echo with spelling on and off in turn, so that both meet the same load;
// [1] with spelling on.
void MeasureEchoes(SinkMonitor &monitor, ProgramWindows &windows, Echoes (&echoes)[2])
{
    EditorWidget *edit = windows.main->Edit();
    QAction *spelling = windows.main->ActionFor(WindowCommandId::kSpellCheck);
    for (int i = 0; i < 2 * kKeys; ++i) {
        const bool on = i % 2 == 0;
        spelling->setChecked(on);
        // The same letter as the yardstick: a plosive's name starts with a silent closure.
        const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_A); });
        if (ms >= 0)
            echoes[on ? 1 : 0].letter << ms;
        // A misspelled word, so that the check and its tone are on the way.
        QTest::keyClicks(edit, QStringLiteral("frasse"));
        const qint64 word = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_Space); });
        if (word >= 0)
            echoes[on ? 1 : 0].word << word;
    }
}

// The same keys with festival's ona, the UPCTV library's Catalan woman, spelling off
// (a misspelling's tone would come first); espeak-ng again after it. False when ona is
// not there.
bool MeasureOna(SinkMonitor &monitor, ProgramWindows &windows, Echoes &ona)
{
    EditorWidget *edit = windows.main->Edit();
    QAction *spelling = windows.main->ActionFor(WindowCommandId::kSpellCheck);
    spelling->setChecked(false);
    SpeechController *voices = windows.speech.get();
    const int onaRow = int(voices->VoiceEntries().indexOf(VoiceCatalog::UpctvEntryText(1)));
    if (onaRow >= 0) {
        voices->SetSelectedIndex(onaRow);
        voices->SelectVoice();
        for (int i = 0; i < kKeys; ++i) {
            if (const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_A); }); ms >= 0)
                ona.letter << ms;
            QTest::keyClicks(edit, QStringLiteral("frasse"));
            if (const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_Space); }); ms >= 0)
                ona.word << ms;
        }
        voices->SetSelectedIndex(HeardAtTheSink::CatalanVoice());
        voices->SelectVoice();
    }
    spelling->setChecked(true);
    return onaRow >= 0;
}

// F7 over a 1000-word document, with the highlight of the heard word on and off in
// turn, so that both meet the same load; [1] with it on.
void MeasureReadAll(SinkMonitor &monitor, ProgramWindows &windows, QList<qint64> (&readAll)[2])
{
    EditorWidget *edit = windows.main->Edit();
    QStringList document;
    for (int i = 0; i < 1000; ++i)
        document << QStringLiteral("paraula");
    edit->setPlainText(document.join(QLatin1Char(' ')));
    QAction *highlight = windows.main->ActionFor(WindowCommandId::kHighlightSpokenWord);
    for (int i = 0; i < 2 * kKeys; ++i) {
        const bool on = i % 2 == 0;
        highlight->setChecked(on);
        const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_F7); });
        QTest::keyClick(edit, Qt::Key_F11);
        if (ms >= 0)
            readAll[on ? 1 : 0] << ms;
    }
    highlight->setChecked(true);
}

const QStringList kSome = {"el", "gat", "menja", "peix", "a", "la", "cuina", "cada", "matí", "tranquil"};

// A 100 000-word document, its first and its last 30 words read with F8. The
// highlight is called from here to time it: from the word's news to the word shown, in
// microseconds, at the start ([0]) and at the end ([1]). Gives a word's length of this
// reading in ms, or -1.
qint64 MeasureHighlight(SinkMonitor &monitor, ProgramWindows &windows, QList<qint64> (&showUs)[2])
{
    EditorWidget *edit = windows.main->Edit();
    QStringList big;
    for (int i = 0; i < 100000; ++i)
        big << kSome.at(i % kSome.size());
    edit->setPlainText(big.join(QLatin1Char(' ')) + QLatin1Char('.'));
    SpokenWordHighlight *shown = windows.highlight.get();
    SpeechController *speech = windows.speech.get();
    QObject::disconnect(speech, &SpeechController::wordHeard, shown, nullptr);
    QList<qint64> newsMs;
    QElapsedTimer clock;
    clock.start();
    int place = 0;
    // The reading F8 started; a letter or word echoed meanwhile is another.
    UtteranceId selection = 0;
    const QMetaObject::Connection read = QObject::connect(&windows.triggers->Session(), &ReadingSession::partStarted, shown,
                                                          [&selection](UtteranceId id) { selection = id; });
    const QMetaObject::Connection timing = QObject::connect(speech, &SpeechController::wordHeard, shown,
                                                            [&](UtteranceId of, int start, int length) {
        const qint64 before = clock.nsecsElapsed();
        shown->WordHeard(of, start, length);
        if (of != selection)
            return;
        showUs[place] << (clock.nsecsElapsed() - before) / 1000;
        if (place == 1)
            newsMs << before / 1000000;
    });
    for (place = 0; place < 2; ++place) {
        QTest::keyClick(edit, place == 0 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(edit, place == 0 ? Qt::Key_Right : Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        monitor.WaitForSilence(300, 10000);
        QSignalSpy ended(speech, &SpeechController::readingEnded);
        QTest::keyClick(edit, Qt::Key_F8);
        while (ended.wait(60000)) {
            if (ended.last().first().value<UtteranceId>() == selection)
                break;
        }
    }
    // The window's news may still come while it closes, after what the timing counts on.
    QObject::disconnect(timing);
    QObject::disconnect(read);
    return newsMs.size() > 1 ? (newsMs.last() - newsMs.first()) / (newsMs.size() - 1) : -1;
}

// A 100-word text through tolvanet-tool say, against its audio length.
void MeasureSay(SinkMonitor &monitor)
{
    QStringList words;
    for (int i = 0; i < 100; ++i)
        words << kSome.at(i % kSome.size());
    const QString text = words.join(QLatin1Char(' ')) + QLatin1Char('.');
    const int catalan = HeardAtTheSink::CatalanVoice();
    const QVector<qint16> samples = EspeakSamples(text, catalan, 0);
    const qint64 audioMs = qint64(samples.size()) * 1000 / VoiceCatalog::EspeakSampleRate();
    monitor.WaitForSilence(300, 10000);
    monitor.Clear();
    QProcess say;
    const qint64 start = monitor.NowMs();
    say.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", {"say", "--voice", QString::number(catalan), text});
    QSignalSpy(&say, &QProcess::finished).wait(120000);
    const qint64 returned = monitor.NowMs() - start;
    monitor.Listen(500);
    std::printf("tolvanet-tool say, 100 words: last sound %lld ms after its start, returned after %lld ms, "
                "audio %lld ms (%.2fx), exit %d\n",
                monitor.LastSoundMs() - start, returned, audioMs, double(monitor.LastSoundMs() - start) / audioMs,
                say.exitCode());
}

int Measure(HeardAtTheSink::Session &session)
{
    SinkMonitor &monitor = session.monitor;
    const QList<qint64> program = MeasureProgram(monitor);
    // The editor with letter echo on.
    auto windows = HeardAtTheSink::StartEditor(session.dir, "LLEGIR LLETRES=SI\r\nLLEGIR PARAULES=SI\r\n");
    if (!windows)
        return 1;
    windows->main->Edit()->setFocus();
    Echoes espeak[2];
    MeasureEchoes(monitor, *windows, espeak);
    Echoes ona;
    const bool onaThere = MeasureOna(monitor, *windows, ona);
    QList<qint64> readAll[2];
    MeasureReadAll(monitor, *windows, readAll);
    QList<qint64> showUs[2];
    const qint64 wordMs = MeasureHighlight(monitor, *windows, showUs);
    windows->main->Document().SetModified(false);
    windows->main->close();

    std::printf("Key to sound at the null sink, Catalan espeak-ng voice:\n");
    Report("editor, a key with letter echo, spelling on", espeak[1].letter);
    Report("editor, a key with letter echo, spelling off", espeak[0].letter);
    Report("editor, a blank with word echo, spelling on", espeak[1].word);
    Report("editor, a blank with word echo, spelling off", espeak[0].word);
    Report("espeak-ng -v ca \"a\" (yardstick)", program);
    std::printf("Key to sound at the null sink, festival's ona (UPCTV - Dona - Català), spelling off:\n");
    if (!onaThere)
        std::printf("  not measured: the UPCTV library or its voice is not there\n");
    Report("editor, a key with letter echo, ona", ona.letter);
    Report("editor, a blank with word echo, ona", ona.word);
    Report("editor, F7 reads all, word highlight on", readAll[1]);
    Report("editor, F7 reads all, word highlight off", readAll[0]);
    std::printf("100 000-word document, from a word's news to the word highlighted (microseconds):\n");
    Report("words at the document's start", showUs[0], "us");
    Report("words at the document's end", showUs[1], "us");
    std::printf("yardsticks: a 60 Hz frame 16667 us; a word of this reading %lld ms\n", static_cast<long long>(wordMs));

    MeasureSay(monitor);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return HeardAtTheSink::Main(argc, argv, Measure);
}
