#include "engines/EspeakEngine.h"

#include "platform/SoundPlayers.h"
#include "platform/WorkerThread.h"
#include "engines/VoiceCatalog.h"

#include <QCoreApplication>
#include <QVector>

#include <algorithm>
#include <climits>
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
    quint64 utterance;
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
    // Set and called on the GUI thread; the rendering thread only tests it.
    std::shared_ptr<HeardWordListener> listener;

    // Hands the word to the listener on the GUI thread, unless Skip came first.
    static void Tell(const std::shared_ptr<Queue> &queue, quint64 generation, HeardWord word)
    {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(app, [queue, generation, word = std::move(word)] {
            std::shared_ptr<HeardWordListener> listener;
            {
                std::lock_guard lock(queue->mutex);
                if (queue->generation != generation || queue->quit)
                    return;
                listener = queue->listener;
            }
            if (listener && *listener)
                (*listener)(word);
        }, Qt::QueuedConnection);
    }

    // Renders one text; with a listener, each word and the end are marked in the
    // stream, to be told when they are heard.
    static void Render(const std::shared_ptr<Queue> &queue, const std::shared_ptr<PcmOutput> &output,
                       const Text &next, quint64 generation, bool telling)
    {
        qint64 written = 0;
        const VoiceCatalog::SampleSink samples = [&queue, &output, generation, &written](const qint16 *block, int count) {
            {
                std::lock_guard guard(queue->mutex);
                if (queue->generation != generation || queue->quit)
                    return false;
            }
            written += count;
            return output->Write(block, count);
        };
        if (!telling) {
            VoiceCatalog::RenderEspeak(next.text, next.voice, next.rate, samples);
            return;
        }
        // Asked before rendering: the renderer holds espeak-ng's lock while it reports marks.
        const qint64 sampleRate = VoiceCatalog::EspeakSampleRate();
        const VoiceCatalog::MarkSink marks = [&](const VoiceCatalog::SpokenMark &mark) {
            if (mark.kind != VoiceCatalog::SpokenMark::Kind::Word)
                return;
            // A number may be told as several words: each is the whole blank-free run.
            int start = int(qBound<qsizetype>(0, mark.position, next.text.size()));
            while (start < next.text.size() && next.text.at(start).isSpace())
                ++start;
            while (start > 0 && !next.text.at(start - 1).isSpace())
                --start;
            int end = start;
            while (end < next.text.size() && !next.text.at(end).isSpace())
                ++end;
            HeardWord word{next.text, start, end - start, false, next.utterance};
            const qint64 sample = mark.ms * sampleRate / 1000;
            output->Mark(int(std::clamp<qint64>(sample - written, INT_MIN, INT_MAX)),
                         [queue, generation, word] { Tell(queue, generation, word); });
        };
        if (VoiceCatalog::RenderEspeakMarked(next.text, next.voice, next.rate, samples, marks))
            output->Mark(0, [queue, generation, text = next.text, utterance = next.utterance] {
                Tell(queue, generation, {text, 0, 0, true, utterance});
            });
    }

    // Renders every queued text into one stream, until the queue is empty.
    static void Drain(const std::shared_ptr<Queue> &queue, const std::shared_ptr<PcmOutput> &output)
    {
        std::unique_lock lock(queue->mutex);
        while (!queue->texts.empty() && !queue->quit) {
            const Text next = queue->texts.front();
            queue->texts.pop_front();
            const quint64 generation = queue->generation;
            const bool telling = queue->listener != nullptr;
            lock.unlock();
            output->Begin(VoiceCatalog::EspeakSampleRate());
            Render(queue, output, next, generation, telling);
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

bool EspeakEngine::Speak(const QString &text, quint64 utterance)
{
    // Nothing to say changes nothing: what is being spoken goes on.
    if (text.trimmed().isEmpty())
        return true;
    // Nothing can be heard: there is nothing to wait for either.
    if (!m_output->Audible())
        return false;
    std::lock_guard lock(m_queue->mutex);
    m_queue->texts.push_back({text, m_voice, m_rate, utterance});
    if (!m_queue->draining) {
        m_queue->draining = true;
        m_thread->Post([queue = m_queue, output = m_output] { Queue::Drain(queue, output); });
    }
    return true;
}

void EspeakEngine::SetWordListener(HeardWordListener listener)
{
    std::lock_guard lock(m_queue->mutex);
    m_queue->listener = listener ? std::make_shared<HeardWordListener>(std::move(listener)) : nullptr;
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
