#include "platform/WorkerThread.h"

#include <QList>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <list>

namespace {

constexpr std::chrono::milliseconds kDestroyLimit{2000};
// How long the end of the program waits for threads still at work.
constexpr std::chrono::milliseconds kExitLimit{3000};

struct OneShot
{
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> ended;
};

struct Registry
{
    std::mutex mutex;
    std::condition_variable changed;
    std::list<OneShot> jobs;
    QList<QThread *> abandoned;
    bool routineAdded = false;
    bool applicationGone = false;
};

// Never destroyed: a thread still stuck at exit may end during the static destructors
// and tell it so.
Registry &Threads()
{
    static Registry *registry = new Registry;
    return *registry;
}

void FinishAtExit()
{
    ThreadsAtExit::Finish(kExitLimit);
}

// Needs the registry's lock held.
void JoinEndedLocked(Registry &registry)
{
    for (auto job = registry.jobs.begin(); job != registry.jobs.end();) {
        if (job->ended->load()) {
            job->thread.join();
            job = registry.jobs.erase(job);
        } else {
            ++job;
        }
    }
}

// Needs the registry's lock held. The routines run once per application object.
void WatchApplicationLocked(Registry &registry)
{
    if (registry.routineAdded || !QCoreApplication::instance())
        return;
    qAddPostRoutine(FinishAtExit);
    registry.routineAdded = true;
    registry.applicationGone = false;
}

} // namespace

void ThreadsAtExit::Start(std::function<void()> job)
{
    Registry &registry = Threads();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(registry.mutex);
    JoinEndedLocked(registry);
    WatchApplicationLocked(registry);
    registry.jobs.push_back({std::thread([job = std::move(job), ended] {
        job();
        Registry &threads = Threads();
        std::lock_guard lock(threads.mutex);
        ended->store(true);
        threads.changed.notify_all();
    }), ended});
}

bool ThreadsAtExit::WhileApplicationLives(const std::function<void()> &deliver)
{
    Registry &registry = Threads();
    std::lock_guard lock(registry.mutex);
    if (registry.applicationGone || !QCoreApplication::instance())
        return false;
    deliver();
    return true;
}

void ThreadsAtExit::Abandon(QThread *thread)
{
    Registry &registry = Threads();
    std::lock_guard lock(registry.mutex);
    WatchApplicationLocked(registry);
    registry.abandoned.append(thread);
}

int ThreadsAtExit::Finish(std::chrono::milliseconds limit)
{
    Registry &registry = Threads();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(registry.mutex);
    registry.applicationGone = true;
    registry.routineAdded = false;
    registry.changed.wait_until(lock, deadline, [&registry] {
        return std::all_of(registry.jobs.begin(), registry.jobs.end(), [](const OneShot &job) { return job.ended->load(); });
    });
    JoinEndedLocked(registry);
    // Past the limit: these own their data, and the application is gone for them.
    int left = int(registry.jobs.size());
    for (OneShot &job : registry.jobs)
        job.thread.detach();
    registry.jobs.clear();
    const QList<QThread *> abandoned = std::exchange(registry.abandoned, {});
    lock.unlock();
    for (QThread *thread : abandoned) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (thread->wait(QDeadlineTimer(std::max(remaining, std::chrono::milliseconds(0)))))
            delete thread;
        else
            ++left;
    }
    return left;
}

WorkerThread::WorkerThread(const QString &name)
{
    m_thread = new QThread;
    m_thread->setObjectName(name);
    m_context = new QObject;
    m_context->moveToThread(m_thread);
    // The context and whatever was made on the thread under it go with the thread.
    QObject::connect(m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread->start();
}

WorkerThread::~WorkerThread()
{
    Stop(kDestroyLimit);
}

void WorkerThread::Post(std::function<void()> job)
{
    if (m_context)
        QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

bool WorkerThread::Stop(std::chrono::milliseconds limit)
{
    if (!m_thread)
        return true;
    m_thread->quit();
    const bool ended = m_thread->wait(QDeadlineTimer(limit));
    if (ended)
        delete m_thread;
    else
        // Deleting a running thread would abort the program: it is left to end on its
        // own, and waited for when the application ends.
        ThreadsAtExit::Abandon(m_thread);
    m_thread = nullptr;
    m_context = nullptr;
    return ended;
}
