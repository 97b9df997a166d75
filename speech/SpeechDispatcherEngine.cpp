#include "speech/SpeechDispatcherEngine.h"

#include "platform/WorkerThread.h"

#include <libspeechd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <atomic>
#include <set>

using namespace std::chrono_literals;

namespace {

// How long a request to the service may take before the service counts as gone.
constexpr auto kRequestLimit = 2000ms;
// How long a message may wait to begin before the service counts as silent.
constexpr auto kBeginLimit = 3s;
// How many recently ended messages are remembered (their end may come before the
// service has told us their number).
constexpr size_t kEndedMemory = 64;

} // namespace

// What the engine, the jobs on its thread and the service's notifications share.
// Jobs hold it by a shared pointer, so a job that outlives the engine (a service
// that answered too late) touches nothing that is gone.
struct SpeechDispatcherEngine::Service
{
    std::mutex mutex;
    std::condition_variable changed;
    SPDConnection *connection = nullptr; // used on the engine's thread only
    quint64 generation = 0;   // raised by every Skip
    int unsent = 0;           // texts posted to the thread and not yet said
    std::set<size_t> speaking; // messages said and not yet ended
    std::set<size_t> ended;
    // Of the texts queued since the service was last idle:
    bool begun = false;       // the service began one of them
    bool refused = false;     // the service refused one of them
    qint64 characters = 0;    // their length, which bounds how long they may take
    std::chrono::steady_clock::time_point lastNews;
    std::atomic<bool> stuck = false; // a request never came back

    void Notify(size_t id, SPDNotificationType type)
    {
        std::lock_guard lock(mutex);
        lastNews = std::chrono::steady_clock::now();
        if (type == SPD_EVENT_BEGIN) {
            begun = true;
        } else {
            speaking.erase(id);
            ended.insert(id);
            if (ended.size() > kEndedMemory)
                ended.erase(ended.begin());
        }
        changed.notify_all();
    }
};

namespace {

// The service's callbacks carry no context; one engine listens at a time. The
// listener is never destroyed: the service library's own thread may still call in
// while the program exits.
struct Listener
{
    std::mutex mutex;
    std::weak_ptr<SpeechDispatcherEngine::Service> service;
};

Listener &TheListener()
{
    static auto *listener = new Listener;
    return *listener;
}

void OnNotification(size_t id, size_t, SPDNotificationType type)
{
    std::shared_ptr<SpeechDispatcherEngine::Service> service;
    {
        std::lock_guard lock(TheListener().mutex);
        service = TheListener().service.lock();
    }
    if (service)
        service->Notify(id, type);
}

SPDConnection *OpenConnection()
{
    char *error = nullptr;
    SPDConnection *connection = spd_open2("tolvanet", "speech", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    free(error);
    if (!connection)
        return nullptr;
    connection->callback_begin = OnNotification;
    connection->callback_end = OnNotification;
    connection->callback_cancel = OnNotification;
    spd_set_notification_on(connection, SPD_BEGIN);
    spd_set_notification_on(connection, SPD_END);
    spd_set_notification_on(connection, SPD_CANCEL);
    spd_set_data_mode(connection, SPD_DATA_TEXT);
    return connection;
}

// The protocol carries text lines: other control characters are only noise.
QByteArray ProtocolText(const QString &text)
{
    QString clean = text;
    for (QChar &c : clean) {
        if (c.unicode() < 32 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return clean.toUtf8();
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
    auto thread = std::make_unique<WorkerThread>(QStringLiteral("speech-dispatcher"));
    const std::optional<bool> opened = thread->Call<bool>([service] {
        service->connection = OpenConnection();
        return service->connection != nullptr;
    }, std::chrono::milliseconds(timeoutMs));
    if (!opened.value_or(false)) {
        // A connection that opens after all is closed by the thread's last job.
        thread->Post([service] {
            if (service->connection)
                spd_close(service->connection);
            service->connection = nullptr;
        });
        thread->Stop(0ms);
        return nullptr;
    }
    {
        std::lock_guard lock(TheListener().mutex);
        TheListener().service = service;
    }
    return std::unique_ptr<SpeechDispatcherEngine>(new SpeechDispatcherEngine(service, std::move(thread), voices));
}

SpeechDispatcherEngine::SpeechDispatcherEngine(std::shared_ptr<Service> service, std::unique_ptr<WorkerThread> thread,
                                               QList<VoiceCatalog::Voice> voices)
    : m_service(std::move(service)), m_thread(std::move(thread)), m_voices(std::move(voices))
{
}

SpeechDispatcherEngine::~SpeechDispatcherEngine()
{
    {
        std::lock_guard lock(TheListener().mutex);
        if (TheListener().service.lock() == m_service)
            TheListener().service.reset();
    }
    {
        std::lock_guard lock(m_service->mutex);
        ++m_service->generation;
    }
    // Closing is one more request that a stuck service may not answer: the thread is
    // then abandoned with the service state it owns.
    m_thread->Post([service = m_service] {
        if (!service->connection)
            return;
        spd_cancel(service->connection);
        spd_close(service->connection);
        service->connection = nullptr;
    });
    m_thread->Stop(kRequestLimit);
}

std::optional<QString> SpeechDispatcherEngine::VoiceDescription(int index)
{
    if (index < 0 || index >= m_voices.size())
        return std::nullopt;
    return m_voices.at(index).description;
}

bool SpeechDispatcherEngine::SelectVoice(int index)
{
    if (index < 0 || index >= m_voices.size() || m_service->stuck)
        return false;
    const QByteArray module = m_voices.at(index).module.toUtf8();
    const QByteArray name = m_voices.at(index).identifier.toUtf8();
    const std::optional<bool> done = m_thread->Call<bool>([service = m_service, module, name] {
        return service->connection && spd_set_output_module(service->connection, module.constData()) == 0
            && spd_set_synthesis_voice(service->connection, name.constData()) == 0;
    }, kRequestLimit);
    if (!done)
        m_service->stuck = true;
    return done.value_or(false);
}

bool SpeechDispatcherEngine::SetRate(int rate)
{
    if (m_service->stuck)
        return false;
    const int serviceRate = VoiceCatalog::SpeechDispatcherRate(rate);
    const std::optional<bool> done = m_thread->Call<bool>([service = m_service, serviceRate] {
        return service->connection && spd_set_voice_rate(service->connection, serviceRate) == 0;
    }, kRequestLimit);
    if (!done)
        m_service->stuck = true;
    return done.value_or(false);
}

bool SpeechDispatcherEngine::Speak(const QString &text)
{
    // Nothing to say changes nothing: what is being spoken goes on.
    if (text.trimmed().isEmpty())
        return true;
    const QByteArray utf8 = ProtocolText(text);
    std::lock_guard lock(m_service->mutex);
    if (m_service->stuck)
        return false;
    if (m_service->unsent == 0 && m_service->speaking.empty()) {
        m_service->begun = false;
        m_service->refused = false;
        m_service->characters = 0;
        m_service->lastNews = std::chrono::steady_clock::now();
    }
    ++m_service->unsent;
    m_service->characters += text.size();
    const quint64 generation = m_service->generation;
    // Text messages queue in the service after the ones it is speaking.
    m_thread->Post([service = m_service, utf8, generation] {
        {
            std::lock_guard guard(service->mutex);
            if (service->generation != generation) {
                --service->unsent; // skipped before it was said
                service->changed.notify_all();
                return;
            }
        }
        const int id = service->connection ? spd_say(service->connection, SPD_TEXT, utf8.constData()) : -1;
        std::lock_guard guard(service->mutex);
        --service->unsent;
        service->lastNews = std::chrono::steady_clock::now();
        if (id < 0)
            service->refused = true;
        else if (service->generation == generation && !service->ended.count(size_t(id)))
            service->speaking.insert(size_t(id));
        service->changed.notify_all();
    });
    return true;
}

bool SpeechDispatcherEngine::WaitUntilDone()
{
    std::unique_lock lock(m_service->mutex);
    const quint64 generation = m_service->generation;
    for (;;) {
        if (m_service->generation != generation)
            return true; // skipped
        if (m_service->stuck)
            return false;
        if (m_service->unsent == 0 && m_service->speaking.empty())
            return !m_service->refused;
        const auto quiet = std::chrono::steady_clock::now() - m_service->lastNews;
        // A request that never comes back, a service that cannot play (no sound
        // device: nothing ever begins), or one that died mid-message.
        if (m_service->unsent > 0 && quiet > kRequestLimit) {
            m_service->stuck = true;
            return false;
        }
        if (m_service->unsent == 0 && !m_service->begun && quiet > kBeginLimit)
            return false;
        // The service tells of each message's start and end; one that says nothing
        // for longer than the texts can take to read has died.
        if (quiet > 5s + std::chrono::milliseconds(m_service->characters * 200))
            return false;
        m_service->changed.wait_for(lock, 100ms);
    }
}

bool SpeechDispatcherEngine::Skip()
{
    {
        std::lock_guard lock(m_service->mutex);
        if (m_service->stuck)
            return false;
        ++m_service->generation;
        m_service->speaking.clear();
        m_service->changed.notify_all();
    }
    m_thread->Post([service = m_service] {
        if (service->connection)
            spd_cancel(service->connection);
    });
    return true;
}
