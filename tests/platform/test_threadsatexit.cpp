// The end of the program waits for the threads it started: one-shot jobs and a worker
// thread stuck in a call are joined while the application object is destroyed.
#include "platform/WorkerThread.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Static, so that a thread left running past the end of a test cannot write into a
// stack that is gone.
std::atomic<int> g_ended{0};
std::atomic<bool> g_stuckStarted{false};
std::atomic<bool> g_delivered{false};

// An application object of the test's own, which the test destroys.
std::unique_ptr<QCoreApplication> MakeApplication()
{
    static int argc = 1;
    static char name[] = "test_threadsatexit";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

class TestThreadsAtExit : public QObject
{
    Q_OBJECT

private slots:
    void quittingWaitsForJobsAndStuckCalls()
    {
        g_ended = 0;
        {
            const std::unique_ptr<QCoreApplication> application = MakeApplication();
            RunInBackground<int>([] {
                std::this_thread::sleep_for(300ms);
                ++g_ended;
                return 1;
            }, application.get(), [](int) { g_delivered = true; });
            WorkerThread worker(QStringLiteral("stuck engine"));
            worker.Post([] {
                g_stuckStarted = true;
                std::this_thread::sleep_for(500ms);
                ++g_ended;
            });
            QTRY_VERIFY(g_stuckStarted);
            QVERIFY(!worker.Stop(0ms));
            const std::optional<int> late = RunWithTimeLimit<int>([] {
                std::this_thread::sleep_for(400ms);
                ++g_ended;
                return 2;
            }, 0ms);
            QVERIFY(!late);
            QCOMPARE(g_ended.load(), 0);
        }
        // Every thread was waited for; the result that came while the application
        // ended was never handed to it.
        QCOMPARE(g_ended.load(), 3);
        QVERIFY(!g_delivered);
    }

    // A job that ends in time is delivered, and the next application object is watched
    // as the first was.
    void aSecondApplicationIsWatchedToo()
    {
        g_ended = 0;
        {
            const std::unique_ptr<QCoreApplication> application = MakeApplication();
            bool delivered = false;
            RunInBackground<int>([] { return 7; }, application.get(), [&delivered](int value) { delivered = value == 7; });
            QTRY_VERIFY(delivered);
            RunInBackground<int>([] {
                std::this_thread::sleep_for(200ms);
                ++g_ended;
                return 0;
            }, application.get(), [](int) {});
        }
        QCOMPARE(g_ended.load(), 1);
    }
};

QTEST_APPLESS_MAIN(TestThreadsAtExit)
#include "test_threadsatexit.moc"
