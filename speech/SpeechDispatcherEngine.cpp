#include "speech/SpeechDispatcherEngine.h"

#include <libspeechd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

using namespace std::chrono_literals;

namespace {

// How long a request to the service may take before the service counts as gone.
constexpr auto kRequestLimit = 2s;
// How long a message may wait to begin before the service counts as silent.
constexpr auto kBeginLimit = 3s;

} // namespace

struct SpeechDispatcherEngine::Service
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void(SPDConnection *)>> jobs;
    bool busy = false;          // a job is running
    bool quit = false;
    bool stuck = false;         // a request never came back
    bool finished = false;      // the thread has closed the connection
    SPDConnection *connection = nullptr;
    std::thread thread;

    // The message being spoken: queued, then its id until it ends.
    bool speakQueued = false;
    int message = -1;
    bool begun = false;
    std::chrono::steady_clock::time_point saidAt;
    qint64 textLength = 0;
    std::set<size_t> ended;     // the last few messages the service finished
    std::function<void(bool)> onEnded;

    void Run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return quit || !jobs.empty(); });
            if (jobs.empty() && quit)
                break;
            auto job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            SPDConnection *current = connection;
            lock.unlock();
            job(current);
            lock.lock();
            busy = false;
            changed.notify_all();
        }
        SPDConnection *closing = connection;
        connection = nullptr;
        lock.unlock();
        if (closing) {
            spd_cancel(closing);
            spd_close(closing);
        }
        std::lock_guard guard(mutex);
        finished = true;
        changed.notify_all();
    }

    // Runs the job on the service thread and waits for it, within the limit.
    bool Call(std::function<void(SPDConnection *)> job)
    {
        std::unique_lock lock(mutex);
        if (stuck || quit)
            return false;
        bool done = false;
        jobs.push_back([this, job = std::move(job), &done](SPDConnection *c) {
            job(c);
            std::lock_guard guard(mutex);
            done = true;
        });
        changed.notify_all();
        if (!changed.wait_for(lock, kRequestLimit, [&] { return done; })) {
            stuck = true;
            // The job still refers to our stack: it must not run after we return.
            jobs.clear();
            changed.notify_all();
            return false;
        }
        return true;
    }

    void Post(std::function<void(SPDConnection *)> job)
    {
        std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
        changed.notify_all();
    }

    void Notify(size_t id, SPDNotificationType type)
    {
        std::function<void(bool)> report;
        {
            std::lock_guard lock(mutex);
            if (type == SPD_EVENT_BEGIN) {
                if (message >= 0 && size_t(message) == id)
                    begun = true;
                return;
            }
            ended.insert(id);
            if (ended.size() > 64)
                ended.erase(ended.begin());
            if (message < 0 || size_t(message) != id)
                return;
            message = -1;
            changed.notify_all();
            report = onEnded;
        }
        if (report)
            report(type == SPD_EVENT_CANCEL);
    }
};

namespace {

// The service's callbacks carry no context; one engine listens at a time.
std::mutex g_listenerMutex;
std::weak_ptr<SpeechDispatcherEngine::Service> g_listener;

void OnNotification(size_t id, size_t, SPDNotificationType type)
{
    std::shared_ptr<SpeechDispatcherEngine::Service> service;
    {
        std::lock_guard lock(g_listenerMutex);
        service = g_listener.lock();
    }
    if (service)
        service->Notify(id, type);
}

} // namespace

std::unique_ptr<SpeechDispatcherEngine> SpeechDispatcherEngine::Create(int timeoutMs)
{
    // Listing first also tells whether the service answers at all, within the limit.
    bool answered = false;
    const QList<VoiceCatalog::Voice> voices = VoiceCatalog::SpeechDispatcherVoices(timeoutMs, &answered);
    if (!answered)
        return nullptr;
    auto service = std::make_shared<Service>();
    bool opened = false;
    service->thread = std::thread([service] { service->Run(); });
    {
        std::unique_lock lock(service->mutex);
        bool done = false;
        service->jobs.push_back([service, &opened, &done](SPDConnection *) {
            char *error = nullptr;
            SPDConnection *connection = spd_open2("tolvanet", "speech", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
            free(error);
            if (connection) {
                connection->callback_begin = OnNotification;
                connection->callback_end = OnNotification;
                connection->callback_cancel = OnNotification;
                spd_set_notification_on(connection, SPD_BEGIN);
                spd_set_notification_on(connection, SPD_END);
                spd_set_notification_on(connection, SPD_CANCEL);
                spd_set_data_mode(connection, SPD_DATA_TEXT);
            }
            std::lock_guard guard(service->mutex);
            service->connection = connection;
            opened = connection != nullptr;
            done = true;
        });
        service->changed.notify_all();
        const bool answered = service->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done; });
        if (!answered || !opened) {
            service->quit = true;
            service->stuck = !answered;
            service->changed.notify_all();
            lock.unlock();
            if (answered) {
                service->thread.join();
            } else {
                // Stuck inside the service library: let the thread end whenever it can.
                service->jobs.clear();
                service->thread.detach();
            }
            return nullptr;
        }
    }
    std::unique_ptr<SpeechDispatcherEngine> engine(new SpeechDispatcherEngine(service, voices));
    {
        std::lock_guard lock(g_listenerMutex);
        g_listener = service;
    }
    return engine;
}

SpeechDispatcherEngine::SpeechDispatcherEngine(std::shared_ptr<Service> service, QList<VoiceCatalog::Voice> voices)
    : m_service(std::move(service)), m_voices(std::move(voices))
{
    m_service->onEnded = [this](bool cancelled) {
        QMetaObject::invokeMethod(this, [this, cancelled] { emit speechEnded(cancelled); }, Qt::QueuedConnection);
    };
}

SpeechDispatcherEngine::~SpeechDispatcherEngine()
{
    bool finished;
    {
        std::unique_lock lock(m_service->mutex);
        m_service->onEnded = nullptr;
        m_service->quit = true;
        m_service->jobs.clear();
        m_service->changed.notify_all();
        // Closing the connection is one more request that a stuck service may not answer.
        finished = m_service->changed.wait_for(lock, kRequestLimit, [this] { return m_service->finished; });
    }
    if (finished)
        m_service->thread.join();
    else
        m_service->thread.detach();
}

std::optional<QString> SpeechDispatcherEngine::VoiceDescription(int index)
{
    if (index < 0 || index >= m_voices.size())
        return std::nullopt;
    return m_voices.at(index).description;
}

bool SpeechDispatcherEngine::SelectVoice(int index)
{
    if (index < 0 || index >= m_voices.size())
        return false;
    const QByteArray module = m_voices.at(index).module.toUtf8();
    const QByteArray name = m_voices.at(index).identifier.toUtf8();
    bool ok = false;
    return m_service->Call([&](SPDConnection *c) {
        ok = spd_set_output_module(c, module.constData()) == 0 && spd_set_synthesis_voice(c, name.constData()) == 0;
    }) && ok;
}

bool SpeechDispatcherEngine::SetRate(int rate)
{
    bool ok = false;
    return m_service->Call([&](SPDConnection *c) {
        ok = spd_set_voice_rate(c, VoiceCatalog::SpeechDispatcherRate(rate)) == 0;
    }) && ok;
}

bool SpeechDispatcherEngine::Speak(const QString &text)
{
    // The protocol carries text lines: other control characters are only noise.
    QString clean = text;
    for (QChar &c : clean) {
        if (c.unicode() < 32 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    const bool silent = clean.trimmed().isEmpty();
    const QByteArray utf8 = clean.toUtf8();
    Service *service = m_service.get();
    std::lock_guard lock(service->mutex);
    if (service->stuck)
        return false;
    service->message = -1;
    service->begun = false;
    service->speakQueued = !silent;
    service->textLength = clean.size();
    // Anything not yet sent is replaced by this text.
    service->jobs.clear();
    service->jobs.push_back([service, utf8, silent](SPDConnection *c) {
        spd_cancel(c);
        if (silent)
            return;
        const int id = spd_say(c, SPD_TEXT, utf8.constData());
        std::lock_guard guard(service->mutex);
        if (!service->speakQueued)
            return; // skipped meanwhile
        service->speakQueued = false;
        service->saidAt = std::chrono::steady_clock::now();
        if (id >= 0 && !service->ended.count(size_t(id)))
            service->message = id;
        service->changed.notify_all();
    });
    service->changed.notify_all();
    return true;
}

bool SpeechDispatcherEngine::WaitUntilDone()
{
    Service *service = m_service.get();
    std::unique_lock lock(service->mutex);
    const auto started = std::chrono::steady_clock::now();
    const auto reading = 5s + std::chrono::milliseconds(service->textLength * 200);
    for (;;) {
        if (service->stuck || service->quit || (!service->speakQueued && service->message < 0))
            return !service->stuck;
        const auto now = std::chrono::steady_clock::now();
        if (service->speakQueued && now - started > kRequestLimit) {
            service->stuck = true; // the request never came back
            return false;
        }
        // A service that cannot play (no sound device) never begins; one that dies
        // mid-message sends nothing more.
        if (!service->speakQueued && ((!service->begun && now - service->saidAt > kBeginLimit)
                                      || now - service->saidAt > reading))
            return false;
        service->changed.wait_for(lock, 100ms);
    }
}

bool SpeechDispatcherEngine::Skip()
{
    Service *service = m_service.get();
    std::lock_guard lock(service->mutex);
    if (service->stuck)
        return false;
    service->jobs.clear();
    service->speakQueued = false;
    service->message = -1;
    service->jobs.push_back([](SPDConnection *c) { spd_cancel(c); });
    service->changed.notify_all();
    return true;
}
