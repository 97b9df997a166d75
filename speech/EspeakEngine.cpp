#include "speech/EspeakEngine.h"

#include "platform/SoundPlayers.h"
#include "platform/WorkerThread.h"
#include "speech/VoiceCatalog.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// How long WaitUntilDone lets the sound device take, per pass, to play what is
// queued after the rendering has ended.
constexpr int kDrainSliceMs = 200;
constexpr std::chrono::milliseconds kStopLimit{2000};

struct Text
{
    QString text;
    int voice;
    int rate;
};

} // namespace

// The texts waiting to be spoken, shared by the GUI thread and the rendering thread.
struct EspeakEngine::Queue
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Text> texts;
    quint64 generation = 0;   // raised by every Skip: what was under way is dropped
    bool draining = false;    // a rendering pass is posted or running
    bool quit = false;

    // Renders every queued text into one stream, until the queue is empty.
    static void Drain(const std::shared_ptr<Queue> &queue, const std::shared_ptr<PcmOutput> &output)
    {
        std::unique_lock lock(queue->mutex);
        while (!queue->texts.empty() && !queue->quit) {
            const Text next = queue->texts.front();
            queue->texts.pop_front();
            const quint64 generation = queue->generation;
            lock.unlock();
            output->Begin(VoiceCatalog::EspeakSampleRate());
            VoiceCatalog::RenderEspeak(next.text, next.voice, next.rate,
                                       [&queue, &output, generation](const qint16 *samples, int count) {
                {
                    std::lock_guard guard(queue->mutex);
                    if (queue->generation != generation || queue->quit)
                        return false;
                }
                return output->Write(samples, count);
            });
            lock.lock();
        }
        queue->draining = false;
        lock.unlock();
        output->End();
        lock.lock();
        queue->changed.notify_all();
    }
};

std::unique_ptr<EspeakEngine> EspeakEngine::Create(std::unique_ptr<PcmOutput> output)
{
    if (!output || VoiceCatalog::EspeakSampleRate() <= 0)
        return nullptr;
    return std::unique_ptr<EspeakEngine>(new EspeakEngine(std::move(output)));
}

EspeakEngine::EspeakEngine(std::unique_ptr<PcmOutput> output)
    : m_output(std::move(output)), m_queue(std::make_shared<Queue>()),
      m_thread(std::make_unique<WorkerThread>(QStringLiteral("espeak-ng"))),
      m_defaultVoice(VoiceCatalog::EspeakDefaultVoice(VoiceCatalog::SessionLanguage())),
      m_voice(m_defaultVoice)
{
}

EspeakEngine::~EspeakEngine()
{
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->quit = true;
        m_queue->texts.clear();
        ++m_queue->generation;
    }
    m_output->Flush();
    m_thread->Stop(kStopLimit);
}

int EspeakEngine::VoiceCount()
{
    return int(VoiceCatalog::EspeakVoices().size());
}

std::optional<QString> EspeakEngine::VoiceDescription(int index)
{
    const QList<VoiceCatalog::Voice> voices = VoiceCatalog::EspeakVoices();
    if (index < 0 || index >= voices.size())
        return std::nullopt;
    return voices.at(index).description;
}

bool EspeakEngine::SelectVoice(int index)
{
    if (index < 0 || index >= VoiceCount())
        return false;
    m_voice = index;
    return true;
}

bool EspeakEngine::SetRate(int rate)
{
    m_rate = qBound(-10, rate, 10);
    return true;
}

bool EspeakEngine::Speak(const QString &text)
{
    // Nothing to say changes nothing: what is being spoken goes on.
    if (text.trimmed().isEmpty())
        return true;
    // Nothing can be heard: there is nothing to wait for either.
    if (!m_output->Audible())
        return false;
    std::lock_guard lock(m_queue->mutex);
    m_queue->texts.push_back({text, m_voice, m_rate});
    if (!m_queue->draining) {
        m_queue->draining = true;
        m_thread->Post([queue = m_queue, output = m_output] { Queue::Drain(queue, output); });
    }
    return true;
}

bool EspeakEngine::Skip()
{
    {
        std::lock_guard lock(m_queue->mutex);
        ++m_queue->generation;
        m_queue->texts.clear();
        m_queue->changed.notify_all();
    }
    m_output->Flush();
    return true;
}

bool EspeakEngine::WaitUntilDone()
{
    if (!m_output->Audible())
        return false;
    quint64 generation;
    {
        std::unique_lock lock(m_queue->mutex);
        generation = m_queue->generation;
        m_queue->changed.wait(lock, [&] {
            return m_queue->quit || m_queue->generation != generation || !m_queue->draining;
        });
        if (m_queue->generation != generation || m_queue->quit)
            return true;
    }
    // Everything is rendered: wait for the device to play what it holds, as long as
    // nothing new was asked for meanwhile.
    while (!m_output->WaitFinished(kDrainSliceMs)) {
        std::lock_guard lock(m_queue->mutex);
        if (m_queue->generation != generation || m_queue->quit)
            break;
    }
    return true;
}
