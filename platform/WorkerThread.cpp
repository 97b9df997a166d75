#include "platform/WorkerThread.h"

#include <QThread>

namespace {

constexpr std::chrono::milliseconds kDestroyLimit{2000};

} // namespace

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
    // Otherwise the thread and its context are left to end on their own: deleting a
    // running thread would abort the program.
    m_thread = nullptr;
    m_context = nullptr;
    return ended;
}
