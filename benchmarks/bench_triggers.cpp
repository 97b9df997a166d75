// Latency of the reading triggers on a real editor:
//   letters  - from a typed letter's key event to the SpeakText call;
//   word     - from the release of the sent Left key to the SpeakText call of the word;
//   typing   - 20 keys a second with letter, word and sentence echo on: the longest key
//              handling and the longest delay of a 10 ms heartbeat timer (how long the
//              editor was ever blocked).
// Each is measured with spelling off, then with the Catalan dictionary marking the
// words as they are typed, three times in turn in the same run, so that both meet the
// same load of the machine.
// Usage: bench_triggers [iterations] [typing seconds]

#include "app/reading/KeyCodes.h"
#include "app/reading/OneHandKeyboard.h"
#include "app/reading/ReadingTriggers.h"
#include "app/spelling/SpellingAssistant.h"
#include "core/SettingsStore.h"
#include "speech/SpeechOperations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
QElapsedTimer clock_;

qint64 Now()
{
    return clock_.nsecsElapsed();
}

class TimedSpeech : public SpeechOperations
{
public:
    UtteranceId SpeakText(const QString &text, const UtteranceQueued & = {}) override
    {
        Record(text);
        return 0;
    }
    bool SpeakTextAndWait(const QString &text, const UtteranceQueued & = {}) override
    {
        Record(text);
        return true;
    }
    void StopSpeech() override {}

    void Record(const QString &text)
    {
        ++calls;
        lastCall = Now();
        lastText = text;
    }
    int calls = 0;
    qint64 lastCall = 0;
    QString lastText;
};

// Notes when the sent Left key comes up; installed last, so it sees the key first.
class LeftReleaseProbe : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyRelease && IsSyntheticKey(event)
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Left)
            seen = Now();
        return false;
    }
    qint64 seen = 0;
};

void Key(QWidget *target, QChar c)
{
    const int key = c == u' ' ? int(Qt::Key_Space) : c == u'.' ? int(Qt::Key_Period)
                                                                 : int(Qt::Key_A) + (c.toUpper().unicode() - 'A');
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &release);
}

void WaitForCalls(TimedSpeech &speech, int calls)
{
    while (speech.calls < calls)
        QCoreApplication::processEvents();
}

const char *g_checking = "";

void Report(const char *name, std::vector<qint64> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[size_t(q * double(samples.size() - 1))] / 1000.0; };
    std::printf("%-8s %-12s n=%zu  median %.1f us  p95 %.1f us  max %.1f us\n", name, g_checking, samples.size(),
                at(0.5), at(0.95), samples.back() / 1000.0);
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;
    const int typingSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    clock_.start();

    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
    for (const bool spelling : {false, true, false, true, false, true}) {
        g_checking = spelling ? "spelling on" : "spelling off";
        QPlainTextEdit edit;
        edit.resize(600, 400);
        edit.show();
        edit.activateWindow();
        edit.setFocus();
        TimedSpeech speech;
        ReadingOptions options;
        OneHandKeyboard oneHand(&edit, settings, options);
        oneHand.InstallFilter();
        ReadingTriggers triggers(&edit, speech, options, oneHand);
        std::unique_ptr<SpellingAssistant> checking;
        if (spelling) {
            checking = std::make_unique<SpellingAssistant>(&edit, settings, speech, dir.filePath(QStringLiteral("words.txt")));
            checking->FollowVoice();
        }
        LeftReleaseProbe probe;
        edit.installEventFilter(&probe);
        QCoreApplication::processEvents();

        // Letters.
        options.Set(ReadingOption::Letters, true);
        std::vector<qint64> letters;
        for (int i = 0; i < iterations; ++i) {
            if (i % 200 == 0)
                edit.clear();
            const int before = speech.calls;
            const qint64 start = Now();
            Key(&edit, QChar(u'a' + i % 26));
            WaitForCalls(speech, before + 1);
            letters.push_back(speech.lastCall - start);
        }
        Report("letters", letters);

        // Word on space.
        options.Set(ReadingOption::Letters, false);
        options.Set(ReadingOption::WordOnSpace, true);
        std::vector<qint64> words;
        for (int i = 0; i < iterations / 4; ++i) {
            if (i % 50 == 0)
                edit.clear();
            for (QChar c : QStringLiteral("casa"))
                Key(&edit, c);
            const int before = speech.calls;
            Key(&edit, u' ');
            WaitForCalls(speech, before + 2);
            if (speech.lastText != QStringLiteral("casa ")) {
                std::fprintf(stderr, "word on space spoke \"%s\"\n", qPrintable(speech.lastText));
                return 1;
            }
            words.push_back(speech.lastCall - probe.seen);
        }
        Report("word", words);

        // Typing at 20 keys a second with every echo on.
        options.Set(ReadingOption::Letters, true);
        options.Set(ReadingOption::SentenceOnFullStop, true);
        edit.clear();
        const QString typed = QStringLiteral("una frasse prou gran. ");
        std::vector<qint64> handling;
        qint64 worstLateness = 0;
        qint64 lastBeat = Now();
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = Now();
            worstLateness = std::max(worstLateness, now - lastBeat - 10'000'000);
            lastBeat = now;
        });
        QTimer typist;
        typist.setTimerType(Qt::PreciseTimer);
        int index = 0;
        QObject::connect(&typist, &QTimer::timeout, [&] {
            const qint64 start = Now();
            Key(&edit, typed.at(index++ % typed.size()));
            handling.push_back(Now() - start);
            if (index >= typingSeconds * 20)
                app.quit();
        });
        heartbeat.start(10);
        typist.start(50);
        lastBeat = Now();
        app.exec();
        Report("typing", handling);
        std::printf("typing   %-12s %d keys in %d s, worst heartbeat delay %.2f ms, text %s\n", g_checking, index,
                    typingSeconds, worstLateness / 1e6,
                    edit.toPlainText() == typed.repeated(index / typed.size()) + typed.left(index % typed.size())
                        ? "intact"
                        : "CHANGED");
    }

    // A 10 MB document opened, then two seconds of a 10 ms heartbeat while the words
    // are checked in the background: how long the opening took and how late a beat ever came.
    QStringList paragraph;
    for (int i = 0; i < 200; ++i)
        paragraph << (i % 7 == 0 ? QStringLiteral("frasse") : QStringLiteral("paraula"));
    const QString line = paragraph.join(u' ') + u'\n';
    const QString big = line.repeated(10 * 1024 * 1024 / line.size());
    for (const bool spelling : {false, true, false, true}) {
        g_checking = spelling ? "spelling on" : "spelling off";
        QPlainTextEdit edit;
        edit.resize(600, 400);
        edit.show();
        TimedSpeech speech;
        std::unique_ptr<SpellingAssistant> checking;
        if (spelling) {
            checking = std::make_unique<SpellingAssistant>(&edit, settings, speech, dir.filePath(QStringLiteral("words.txt")));
            checking->FollowVoice();
        }
        QCoreApplication::processEvents();
        const qint64 start = Now();
        edit.setPlainText(big);
        const qint64 opened = Now() - start;
        qint64 worst = 0;
        qint64 last = Now();
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const qint64 now = Now();
            worst = std::max(worst, now - last - 10'000'000);
            last = now;
        });
        beat.start(10);
        QTimer::singleShot(2000, &app, &QCoreApplication::quit);
        app.exec();
        std::printf("10 MB    %-12s opened in %.1f ms, worst heartbeat delay %.2f ms after it, %lld marks\n", g_checking,
                    opened / 1e6, worst / 1e6, checking ? static_cast<long long>(checking->Marks().size()) : 0LL);
    }
    return 0;
}
