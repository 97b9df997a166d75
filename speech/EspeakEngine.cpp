#include "speech/EspeakEngine.h"

#include "platform/SoundPlayers.h"
#include "speech/VoiceCatalog.h"

namespace {

// How long WaitUntilDone lets the sound device take to play what is queued after
// the rendering has ended.
constexpr int kDrainSliceMs = 200;

} // namespace

std::unique_ptr<EspeakEngine> EspeakEngine::Create(std::unique_ptr<PcmOutput> output)
{
    if (!output || VoiceCatalog::EspeakSampleRate() <= 0)
        return nullptr;
    return std::unique_ptr<EspeakEngine>(new EspeakEngine(std::move(output)));
}

EspeakEngine::EspeakEngine(std::unique_ptr<PcmOutput> output) : m_output(std::move(output))
{
    m_thread = std::thread([this] { Run(); });
}

EspeakEngine::~EspeakEngine()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generation;
        m_changed.notify_all();
    }
    m_output->Flush();
    m_thread.join();
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
    std::lock_guard lock(m_mutex);
    m_voice = index;
    return true;
}

bool EspeakEngine::SetRate(int rate)
{
    std::lock_guard lock(m_mutex);
    m_rate = qBound(-10, rate, 10);
    return true;
}

bool EspeakEngine::Speak(const QString &text)
{
    // Nothing can be heard: there is nothing to wait for either.
    if (!m_output->Audible())
        return true;
    m_output->Flush();
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_text = text;
    m_jobVoice = m_voice;
    m_jobRate = m_rate;
    m_pending = true;
    m_changed.notify_all();
    return true;
}

bool EspeakEngine::Skip()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_pending = false;
        m_text.clear();
        m_changed.notify_all();
    }
    m_output->Flush();
    return true;
}

bool EspeakEngine::WaitUntilDone()
{
    if (!m_output->Audible())
        return true;
    quint64 generation;
    {
        std::unique_lock lock(m_mutex);
        generation = m_generation;
        m_changed.wait(lock, [&] { return m_quit || m_generation != generation || (!m_pending && !m_rendering); });
        if (m_generation != generation || m_quit)
            return true;
    }
    // The rendering is over: wait for the device to play what it holds, as long as
    // nothing new was asked for meanwhile.
    while (!m_output->WaitFinished(kDrainSliceMs)) {
        std::lock_guard lock(m_mutex);
        if (m_generation != generation || m_quit)
            break;
    }
    return true;
}

void EspeakEngine::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || m_pending; });
        if (m_quit)
            return;
        const QString text = m_text;
        const int voice = m_jobVoice;
        const int rate = m_jobRate;
        const quint64 generation = m_generation;
        m_pending = false;
        m_rendering = true;
        lock.unlock();

        m_output->Begin(VoiceCatalog::EspeakSampleRate());
        VoiceCatalog::RenderEspeak(text, voice, rate, [this, generation](const qint16 *samples, int count) {
            {
                std::lock_guard guard(m_mutex);
                if (m_generation != generation || m_quit)
                    return false;
            }
            return m_output->Write(samples, count);
        });
        bool current;
        {
            std::lock_guard guard(m_mutex);
            current = m_generation == generation;
        }
        if (current)
            m_output->End();

        lock.lock();
        m_rendering = false;
        m_changed.notify_all();
    }
}
