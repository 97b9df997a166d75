#include "engines/SpeechDispatcherEngine.h"

#include "platform/WorkerThread.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <libspeechd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include <poll.h>

using namespace std::chrono_literals;

namespace {

// How long a request to the service may take before the service counts as gone.
constexpr auto kRequestLimit = 2000ms;
// How long a message may wait to begin before the service counts as silent.
constexpr auto kBeginLimit = 3s;
// How many recently ended messages are remembered (their end may come before the
// service has told us their number).
constexpr size_t kEndedMemory = 64;
// How many texts said are remembered for the news of their words.
constexpr size_t kSaidMemory = 64;
// The service's output modules that tell of the index marks they reach.
const QStringList kMarkingModules = {
    QStringLiteral("espeak-ng"), QStringLiteral("espeak"),  QStringLiteral("espeak-ng-mbrola"),
    QStringLiteral("espeak-mbrola"), QStringLiteral("festival"), QStringLiteral("ibmtts"),
    QStringLiteral("voxin"), QStringLiteral("baratinoo"), QStringLiteral("kali"),
};

} // namespace

// What the engine, the jobs on its thread and the service's notifications share.
// Jobs hold it by a shared pointer, so a job that outlives the engine (a service
// that answered too late) touches nothing that is gone.
struct SpeechDispatcherEngine::Service
{
    std::mutex mutex;
    std::condition_variable changed;
    SPDConnection *connection = nullptr; // used on the engine's thread only
    int socket = -1;          // the connection's socket, set once when it opens
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

    // The texts said, by the number their words' marks carry, and the messages they
    // went out as. The marks name a word by its place in the text given to Speak.
    struct Said
    {
        QString text;
        quint64 generation = 0;
        quint64 utterance = 0;
        QString module; // the output module it went to
    };
    std::map<quint64, Said> said;
    std::map<size_t, quint64> messages;
    std::set<size_t> begunUnnumbered; // begun before the service told their number
    quint64 saidCount = 0;
    // The voice's module tells of the words it reaches; until it does, a text is
    // shown whole while it is spoken.
    bool marksTold = false;
    QString module;                 // of the voice selected
    std::set<QString> markingModules; // modules known by their marks to tell words
    std::shared_ptr<HeardWordListener> listener;

    void Notify(size_t id, SPDNotificationType type)
    {
        std::lock_guard lock(mutex);
        lastNews = std::chrono::steady_clock::now();
        if (type == SPD_EVENT_BEGIN) {
            begun = true;
            if (!messages.count(id) && begunUnnumbered.size() < kSaidMemory)
                begunUnnumbered.insert(id);
            else if (!marksTold)
                TellWholeLocked(messages.at(id));
        } else {
            speaking.erase(id);
            ended.insert(id);
            if (ended.size() > kEndedMemory)
                ended.erase(ended.begin());
            TellEndLocked(id);
        }
        changed.notify_all();
    }

    // A mark is named "number.start.length" after the word that follows it.
    void IndexMark(const char *name)
    {
        const QList<QByteArray> parts = QByteArray(name ? name : "").split('.');
        bool ok[3] = {false, false, false};
        if (parts.size() != 3)
            return;
        const quint64 number = parts.at(0).toULongLong(&ok[0]);
        const int start = parts.at(1).toInt(&ok[1]);
        const int length = parts.at(2).toInt(&ok[2]);
        std::lock_guard lock(mutex);
        lastNews = std::chrono::steady_clock::now();
        const auto found = said.find(number);
        if (!ok[0] || !ok[1] || !ok[2] || found == said.end())
            return;
        marksTold = true;
        markingModules.insert(found->second.module);
        Tell(found->second, {found->second.text, start, length, false});
    }

    // The service told the message's number after its text was said.
    void NumberedLocked(size_t id, quint64 number)
    {
        messages[id] = number;
        if (messages.size() > kSaidMemory)
            messages.erase(messages.begin());
        if (begunUnnumbered.erase(id) && !marksTold)
            TellWholeLocked(number);
        if (ended.count(id))
            TellEndLocked(id);
    }

    void TellWholeLocked(quint64 number)
    {
        const auto found = said.find(number);
        if (found != said.end())
            Tell(found->second, {found->second.text, 0, int(found->second.text.size()), false});
    }

    void TellEndLocked(size_t id)
    {
        const auto message = messages.find(id);
        if (message == messages.end())
            return;
        const auto found = said.find(message->second);
        if (found != said.end()) {
            Tell(found->second, {found->second.text, 0, 0, true});
            said.erase(found);
        }
        messages.erase(message);
    }

    // Hands the news to the listener on the GUI thread, unless Skip came first.
    void Tell(const Said &of, HeardWord word)
    {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app || !listener || of.generation != generation)
            return;
        word.utterance = of.utterance;
        QMetaObject::invokeMethod(app, [weak = weakSelf, generation = of.generation, word = std::move(word)] {
            const std::shared_ptr<Service> service = weak.lock();
            if (!service)
                return;
            std::shared_ptr<HeardWordListener> told;
            {
                std::lock_guard lock(service->mutex);
                if (service->generation != generation)
                    return;
                told = service->listener;
            }
            if (told && *told)
                (*told)(word);
        }, Qt::QueuedConnection);
    }

    // The service closed the connection, or died: its end of the socket is gone.
    bool ClosedByService() const
    {
        if (socket < 0)
            return false;
        pollfd watched{socket, POLLRDHUP, 0};
        return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
    }

    // Nothing more will be said: every text under way ends now, for whoever follows it.
    void EndEverythingLocked()
    {
        stuck = true;
        for (const auto &[number, text] : said)
            Tell(text, {text.text, 0, 0, true});
        said.clear();
        messages.clear();
        speaking.clear();
        changed.notify_all();
    }

    std::weak_ptr<Service> weakSelf;
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

std::shared_ptr<SpeechDispatcherEngine::Service> ListeningService()
{
    std::lock_guard lock(TheListener().mutex);
    return TheListener().service.lock();
}

void OnNotification(size_t id, size_t, SPDNotificationType type)
{
    if (const auto service = ListeningService())
        service->Notify(id, type);
}

void OnIndexMark(size_t, size_t, SPDNotificationType, char *name)
{
    if (const auto service = ListeningService())
        service->IndexMark(name);
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
    connection->callback_im = OnIndexMark;
    spd_set_notification_on(connection, SPD_BEGIN);
    spd_set_notification_on(connection, SPD_END);
    spd_set_notification_on(connection, SPD_CANCEL);
    spd_set_notification_on(connection, SPD_INDEX_MARKS);
    // Marked-up texts, so that the words can carry index marks.
    spd_set_data_mode(connection, SPD_DATA_SSML);
    return connection;
}

// The text as SSML with a mark before each word, named after the text's number and
// the word's place in it. The protocol carries text lines and XML forbids most control
// characters: they are only noise, and become blanks, which keeps every place.
QByteArray MarkedText(const QString &text, quint64 number)
{
    QString clean = text;
    for (QChar &c : clean) {
        if ((c.unicode() < 32 && c != QLatin1Char('\n')) || c.unicode() >= 0xfffe)
            c = QLatin1Char(' ');
    }
    QString ssml = QStringLiteral("<speak>");
    ssml.reserve(clean.size() * 2 + 16);
    const QString prefix = QStringLiteral("<mark name=\"%1.").arg(number);
    for (qsizetype i = 0; i < clean.size();) {
        if (clean.at(i).isSpace()) {
            ssml += clean.at(i++);
            continue;
        }
        qsizetype end = i;
        while (end < clean.size() && !clean.at(end).isSpace())
            ++end;
        ssml += prefix + QString::number(i) + QLatin1Char('.') + QString::number(end - i) + QStringLiteral("\"/>");
        ssml += clean.mid(i, end - i).toHtmlEscaped();
        i = end;
    }
    ssml += QStringLiteral("</speak>");
    return ssml.toUtf8();
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
    service->weakSelf = service;
    auto thread = std::make_unique<WorkerThread>(QStringLiteral("speech-dispatcher"));
    const std::optional<bool> opened = thread->Call<bool>([service] {
        service->connection = OpenConnection();
        if (service->connection)
            service->socket = service->connection->socket;
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

void SpeechDispatcherEngine::WatchTheService()
{
    // A timer needs the thread of the event loop; elsewhere WaitUntilDone looks.
    QCoreApplication *app = QCoreApplication::instance();
    if (m_watch || !app || QThread::currentThread() != app->thread())
        return;
    m_watch = std::make_unique<QTimer>();
    m_watch->setInterval(250ms);
    m_watch->callOnTimeout([service = m_service] {
        std::lock_guard lock(service->mutex);
        if (!service->stuck && !service->said.empty() && service->ClosedByService())
            service->EndEverythingLocked();
    });
    m_watch->start();
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
    {
        std::lock_guard lock(m_service->mutex);
        m_service->marksTold = false; // another module may not tell its words
        m_service->module = m_voices.at(index).module;
    }
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

bool SpeechDispatcherEngine::Speak(const QString &text, quint64 utterance)
{
    // Nothing to say changes nothing: what is being spoken goes on.
    if (text.trimmed().isEmpty())
        return true;
    WatchTheService();
    std::lock_guard lock(m_service->mutex);
    if (m_service->stuck)
        return false;
    const quint64 number = ++m_service->saidCount;
    const QByteArray ssml = MarkedText(text, number);
    m_service->said[number] = {text, m_service->generation, utterance, m_service->module};
    if (m_service->said.size() > kSaidMemory)
        m_service->said.erase(m_service->said.begin());
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
    m_thread->Post([service = m_service, ssml, number, generation] {
        {
            std::lock_guard guard(service->mutex);
            if (service->generation != generation) {
                --service->unsent; // skipped before it was said
                service->changed.notify_all();
                return;
            }
        }
        const int id = service->connection ? spd_say(service->connection, SPD_TEXT, ssml.constData()) : -1;
        std::lock_guard guard(service->mutex);
        --service->unsent;
        service->lastNews = std::chrono::steady_clock::now();
        if (id < 0)
            service->refused = true;
        else if (service->generation == generation && !service->ended.count(size_t(id)))
            service->speaking.insert(size_t(id));
        if (id >= 0)
            service->NumberedLocked(size_t(id), number);
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
        if (m_service->ClosedByService()) {
            m_service->EndEverythingLocked();
            return false;
        }
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

bool SpeechDispatcherEngine::VoiceTellsWords(int index)
{
    if (index < 0 || index >= m_voices.size())
        return false;
    const QString &module = m_voices.at(index).module;
    if (kMarkingModules.contains(module))
        return true;
    std::lock_guard lock(m_service->mutex);
    return m_service->markingModules.count(module) > 0;
}

void SpeechDispatcherEngine::SetWordListener(HeardWordListener listener)
{
    std::lock_guard lock(m_service->mutex);
    m_service->listener = listener ? std::make_shared<HeardWordListener>(std::move(listener)) : nullptr;
}

bool SpeechDispatcherEngine::Skip()
{
    {
        std::lock_guard lock(m_service->mutex);
        if (m_service->stuck)
            return false;
        ++m_service->generation;
        m_service->speaking.clear();
        // Nothing more is told of what was under way.
        m_service->said.clear();
        m_service->messages.clear();
        m_service->begunUnnumbered.clear();
        m_service->changed.notify_all();
    }
    m_thread->Post([service = m_service] {
        if (service->connection)
            spd_cancel(service->connection);
    });
    return true;
}
