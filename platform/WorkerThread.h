#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;
class QThread;

// How work leaves the GUI thread. There are two ways, and only these two:
//
// - A long-lived engine owns a WorkerThread: a thread with an event loop of its own
//   that runs posted jobs one after another. Qt objects that need an event loop (a
//   sound sink) live on it, parented to Context().
// - A one-shot job runs on a thread of its own: RunWithTimeLimit waits for its
//   result, RunInBackground hands the result to the GUI thread when it comes.
//
// Either way a job owns everything it touches (copies and shared pointers, never a
// reference to the caller's stack or to the engine object), so a job that overruns
// its caller's time limit can finish later without harm.
//
// No thread outlives the application object unnoticed: when it is destroyed, the
// one-shot jobs and the worker threads given up on are waited for (a few seconds at
// most) and joined. One still stuck after that holds only what it owns and never
// reaches the application again.
namespace ThreadsAtExit {
// Runs job on a thread of its own, joined once it has ended (at the latest when the
// application object is destroyed).
void Start(std::function<void()> job);
// Runs deliver unless the application object is gone or going; true when it ran.
bool WhileApplicationLives(const std::function<void()> &deliver);
// A worker thread that did not end in time: waited for and deleted at exit.
void Abandon(QThread *thread);
// Joins what has ended and waits at most limit for the rest; how many are still
// running. The application object's destructor calls it.
int Finish(std::chrono::milliseconds limit);
} // namespace ThreadsAtExit

// The result of one job, handed from the thread that runs it to the one that waits.
template <typename R>
class JobResult
{
public:
    void Set(R value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
        m_changed.notify_all();
    }
    // The value, or nothing when it did not come within the limit.
    std::optional<R> Wait(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [this] { return m_value.has_value(); });
        return m_value;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<R> m_value;
};

class WorkerThread
{
public:
    explicit WorkerThread(const QString &name);
    // Stops the thread, waiting a little for the job it is running.
    ~WorkerThread();

    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // Runs the job on the thread after every job posted before it.
    void Post(std::function<void()> job);
    // Runs the job on the thread and waits at most limit for its result; nothing
    // when it is late (the job still runs to its end later).
    template <typename R>
    std::optional<R> Call(std::function<R()> job, std::chrono::milliseconds limit)
    {
        auto result = std::make_shared<JobResult<R>>();
        Post([result, job = std::move(job)] { result->Set(job()); });
        return result->Wait(limit);
    }
    // The object that lives on the thread.
    QObject *Context() const { return m_context; }
    // Ends the thread once its current job returns, waiting at most limit. A thread
    // stuck in a call that never returns is abandoned: it ends whenever it can (and is
    // waited for when the application ends), and false is returned.
    bool Stop(std::chrono::milliseconds limit);

private:
    QThread *m_thread = nullptr;
    QObject *m_context = nullptr;
};

// Runs a one-shot job on a thread of its own and waits at most limit for its result;
// nothing when it is late, and the job then ends on its own whenever it can.
template <typename R>
std::optional<R> RunWithTimeLimit(std::function<R()> job, std::chrono::milliseconds limit)
{
    auto result = std::make_shared<JobResult<R>>();
    ThreadsAtExit::Start([result, job = std::move(job)] { result->Set(job()); });
    return result->Wait(limit);
}

// Runs a one-shot job on a thread of its own and hands its result to done on the GUI
// thread, unless context is gone by then (the result is then dropped there).
template <typename R>
void RunInBackground(std::function<R()> job, QObject *context, std::function<void(R)> done)
{
    QPointer<QObject> guard(context);
    ThreadsAtExit::Start([job = std::move(job), guard, done = std::move(done)] {
        R result = job();
        ThreadsAtExit::WhileApplicationLives([&] {
            QMetaObject::invokeMethod(QCoreApplication::instance(), [guard, done, result]() mutable {
                if (guard)
                    done(std::move(result));
            }, Qt::QueuedConnection);
        });
    });
}
