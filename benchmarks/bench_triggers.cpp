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

#include "app/typing/KeyCodes.h"
#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReadingTriggers.h"
#include "app/spelling/SpellingAssistant.h"
#include "benchmarks/CNumbers.h"
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
#include <memory>
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

// A 10 ms timer that notes how late a beat ever came: how long the editor was blocked.
class Heartbeat
{
public:
    Heartbeat()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = Now();
            worst = std::max(worst, now - last_ - 10'000'000);
            last_ = now;
        });
    }
    void Start()
    {
        timer_.start(10);
        last_ = Now();
    }
    qint64 worst = 0;

private:
    QTimer timer_;
    qint64 last_ = Now();
};

// The spelling checker marking the editor's words as they come, when asked for.
std::unique_ptr<SpellingAssistant> Checking(bool spelling, QPlainTextEdit &edit, SettingsStore &settings,
                                            SpeechOperations &speech, const QTemporaryDir &dir)
{
    if (!spelling)
        return nullptr;
    auto checking = std::make_unique<SpellingAssistant>(&edit, settings, speech, dir.filePath(QStringLiteral("words.txt")));
    checking->FollowVoice();
    return checking;
}

// A plain editor with the reading triggers on it, speaking to a stopwatch. The filters
// go on in this order: the one-hand keyboard's, the triggers', the probe's last.
struct Rig
{
    Rig(bool spelling, SettingsStore &settings, const QTemporaryDir &dir) : oneHand(&edit, settings, options)
    {
        edit.resize(600, 400);
        edit.show();
        edit.activateWindow();
        edit.setFocus();
        oneHand.InstallFilter();
        triggers = std::make_unique<ReadingTriggers>(&edit, speech, options, oneHand);
        checking = Checking(spelling, edit, settings, speech, dir);
        edit.installEventFilter(&probe);
        QCoreApplication::processEvents();
    }

    QPlainTextEdit edit;
    TimedSpeech speech;
    ReadingOptions options;
    OneHandKeyboard oneHand;
    std::unique_ptr<ReadingTriggers> triggers;
    std::unique_ptr<SpellingAssistant> checking;
    LeftReleaseProbe probe;
};

void MeasureLetters(Rig &rig, int iterations)
{
    rig.options.Set(ReadingOption::Letters, true);
    std::vector<qint64> letters;
    for (int i = 0; i < iterations; ++i) {
        if (i % 200 == 0)
            rig.edit.clear();
        const int before = rig.speech.calls;
        const qint64 start = Now();
        Key(&rig.edit, QChar(u'a' + i % 26));
        WaitForCalls(rig.speech, before + 1);
        letters.push_back(rig.speech.lastCall - start);
    }
    Report("letters", letters);
}

// Word on space; false, and why on stderr, when it spoke something else.
bool MeasureWords(Rig &rig, int iterations)
{
    rig.options.Set(ReadingOption::Letters, false);
    rig.options.Set(ReadingOption::WordOnSpace, true);
    std::vector<qint64> words;
    for (int i = 0; i < iterations / 4; ++i) {
        if (i % 50 == 0)
            rig.edit.clear();
        for (QChar c : QStringLiteral("casa"))
            Key(&rig.edit, c);
        const int before = rig.speech.calls;
        Key(&rig.edit, u' ');
        WaitForCalls(rig.speech, before + 2);
        if (rig.speech.lastText != QStringLiteral("casa ")) {
            std::fprintf(stderr, "word on space spoke \"%s\"\n", qPrintable(rig.speech.lastText));
            return false;
        }
        words.push_back(rig.speech.lastCall - rig.probe.seen);
    }
    Report("word", words);
    return true;
}

// Typing at 20 keys a second with every echo on.
void MeasureTyping(Rig &rig, int typingSeconds)
{
    rig.options.Set(ReadingOption::Letters, true);
    rig.options.Set(ReadingOption::SentenceOnFullStop, true);
    rig.edit.clear();
    const QString typed = QStringLiteral("una frasse prou gran. ");
    std::vector<qint64> handling;
    Heartbeat heartbeat;
    QTimer typist;
    typist.setTimerType(Qt::PreciseTimer);
    int index = 0;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        const qint64 start = Now();
        Key(&rig.edit, typed.at(index++ % typed.size()));
        handling.push_back(Now() - start);
        if (index >= typingSeconds * 20)
            QCoreApplication::quit();
    });
    heartbeat.Start();
    typist.start(50);
    QCoreApplication::exec();
    Report("typing", handling);
    std::printf("typing   %-12s %d keys in %d s, worst heartbeat delay %.2f ms, text %s\n", g_checking, index,
                typingSeconds, heartbeat.worst / 1e6,
                rig.edit.toPlainText() == typed.repeated(index / typed.size()) + typed.left(index % typed.size())
                    ? "intact"
                    : "CHANGED");
}

// A 10 MB document opened, then two seconds of a 10 ms heartbeat while the words
// are checked in the background: how long the opening took and how late a beat ever came.
void MeasureLargeDocument(const QString &big, bool spelling, SettingsStore &settings, const QTemporaryDir &dir)
{
    QPlainTextEdit edit;
    edit.resize(600, 400);
    edit.show();
    TimedSpeech speech;
    const std::unique_ptr<SpellingAssistant> checking = Checking(spelling, edit, settings, speech, dir);
    QCoreApplication::processEvents();
    const qint64 start = Now();
    edit.setPlainText(big);
    const qint64 opened = Now() - start;
    Heartbeat beat;
    beat.Start();
    QTimer::singleShot(2000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    std::printf("10 MB    %-12s opened in %.1f ms, worst heartbeat delay %.2f ms after it, %lld marks\n", g_checking,
                opened / 1e6, beat.worst / 1e6, checking ? static_cast<long long>(checking->Marks().size()) : 0LL);
}

QString LargeDocument()
{
    QStringList paragraph;
    for (int i = 0; i < 200; ++i)
        paragraph << (i % 7 == 0 ? QStringLiteral("frasse") : QStringLiteral("paraula"));
    const QString line = paragraph.join(u' ') + u'\n';
    return line.repeated(10 * 1024 * 1024 / line.size());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FiguresInTheCLocale();
    const int iterations = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;
    const int typingSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    clock_.start();

    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("tolvanet.ini")));
    for (const bool spelling : {false, true, false, true, false, true}) {
        g_checking = spelling ? "spelling on" : "spelling off";
        Rig rig(spelling, settings, dir);
        MeasureLetters(rig, iterations);
        if (!MeasureWords(rig, iterations))
            return 1;
        MeasureTyping(rig, typingSeconds);
    }
    const QString big = LargeDocument();
    for (const bool spelling : {false, true, false, true}) {
        g_checking = spelling ? "spelling on" : "spelling off";
        MeasureLargeDocument(big, spelling, settings, dir);
    }
    return 0;
}
