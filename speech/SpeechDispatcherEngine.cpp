#include "speech/SpeechDispatcherEngine.h"

#include <libspeechd.h>

#include <QDeadlineTimer>

namespace {

// The service's callbacks carry no context; one engine listens at a time.
std::mutex g_instanceMutex;
SpeechDispatcherEngine *g_instance = nullptr;

void OnEnd(size_t messageId, size_t, SPDNotificationType)
{
    std::lock_guard lock(g_instanceMutex);
    if (g_instance)
        g_instance->Notify(messageId, false);
}

void OnCancel(size_t messageId, size_t, SPDNotificationType)
{
    std::lock_guard lock(g_instanceMutex);
    if (g_instance)
        g_instance->Notify(messageId, true);
}

SPDConnection *Connection(void *connection)
{
    return static_cast<SPDConnection *>(connection);
}

} // namespace

std::unique_ptr<SpeechDispatcherEngine> SpeechDispatcherEngine::Create(int timeoutMs)
{
    // Listing first also tells whether the service answers at all, within the limit.
    const QList<VoiceCatalog::Voice> voices = VoiceCatalog::SpeechDispatcherVoices(timeoutMs);
    char *error = nullptr;
    SPDConnection *connection = spd_open2("tolvanet", "speech", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    free(error);
    if (!connection)
        return nullptr;
    connection->callback_end = OnEnd;
    connection->callback_cancel = OnCancel;
    spd_set_notification_on(connection, SPD_END);
    spd_set_notification_on(connection, SPD_CANCEL);
    spd_set_data_mode(connection, SPD_DATA_TEXT);
    std::unique_ptr<SpeechDispatcherEngine> engine(new SpeechDispatcherEngine(connection, voices));
    std::lock_guard lock(g_instanceMutex);
    g_instance = engine.get();
    return engine;
}

SpeechDispatcherEngine::SpeechDispatcherEngine(void *connection, QList<VoiceCatalog::Voice> voices)
    : m_connection(connection), m_voices(std::move(voices))
{
}

SpeechDispatcherEngine::~SpeechDispatcherEngine()
{
    {
        std::lock_guard lock(g_instanceMutex);
        if (g_instance == this)
            g_instance = nullptr;
    }
    spd_cancel(Connection(m_connection));
    spd_close(Connection(m_connection));
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
    const VoiceCatalog::Voice &voice = m_voices.at(index);
    return spd_set_output_module(Connection(m_connection), voice.module.toUtf8().constData()) == 0
        && spd_set_synthesis_voice(Connection(m_connection), voice.identifier.toUtf8().constData()) == 0;
}

bool SpeechDispatcherEngine::SetRate(int rate)
{
    return spd_set_voice_rate(Connection(m_connection), VoiceCatalog::SpeechDispatcherRate(rate)) == 0;
}

bool SpeechDispatcherEngine::Speak(const QString &text)
{
    spd_cancel(Connection(m_connection));
    {
        std::lock_guard lock(m_mutex);
        m_message = -1;
    }
    if (text.trimmed().isEmpty())
        return true;
    // The protocol carries text lines: control characters other than line ends are noise.
    QString clean = text;
    for (QChar &c : clean) {
        if (c.unicode() < 32 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    // No lock while the service answers: its answer and its notifications share a thread.
    const int id = spd_say(Connection(m_connection), SPD_TEXT, clean.toUtf8().constData());
    if (id < 0)
        return false;
    std::lock_guard lock(m_mutex);
    if (!m_ended.contains(size_t(id)))
        m_message = id;
    m_textLength = clean.size();
    return true;
}

void SpeechDispatcherEngine::Notify(size_t messageId, bool cancelled)
{
    {
        std::lock_guard lock(m_mutex);
        // The notification may come before spd_say has returned its id.
        m_ended.insert(messageId);
        if (m_ended.size() > 64)
            m_ended.erase(m_ended.begin());
        if (m_message < 0 || size_t(m_message) != messageId)
            return;
        m_message = -1;
        m_changed.notify_all();
    }
    QMetaObject::invokeMethod(this, [this, cancelled] { emit speechEnded(cancelled); }, Qt::QueuedConnection);
}

bool SpeechDispatcherEngine::WaitUntilDone()
{
    std::unique_lock lock(m_mutex);
    // A service that dies mid-message sends nothing more: the wait is bounded by a
    // generous reading time of the text (a slow voice reads about 5 characters a second).
    const auto limit = std::chrono::seconds(10) + std::chrono::milliseconds(m_textLength * 300);
    return m_changed.wait_for(lock, limit, [this] { return m_message < 0; });
}

bool SpeechDispatcherEngine::Skip()
{
    const bool ok = spd_cancel(Connection(m_connection)) == 0;
    std::lock_guard lock(m_mutex);
    m_message = -1;
    m_changed.notify_all();
    return ok;
}
