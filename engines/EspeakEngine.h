#pragma once

#include "engines/SpeechEngines.h"

#include <memory>

class PcmOutput;
class WorkerThread;

// The espeak-ng voices in process. A thread of its own renders the queued texts one
// after another in espeak-ng's synchronous mode and streams the samples to the sound
// output, so Speak returns at once, a text waits for the ones before it, and Skip
// silences everything within one block.
class EspeakEngine : public VoiceEngine
{
public:
    // Nothing when espeak-ng cannot be initialised.
    static std::unique_ptr<EspeakEngine> Create(std::unique_ptr<PcmOutput> output);
    ~EspeakEngine() override;

    int VoiceCount() override;
    std::optional<QString> VoiceDescription(int index) override;
    int DefaultVoice() override { return m_defaultVoice; }
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    using VoiceEngine::Speak;
    bool Speak(const QString &text, quint64 utterance) override;
    bool WaitUntilDone() override;
    bool Skip() override;
    void SetWordListener(HeardWordListener listener) override;

    struct Queue;

private:
    explicit EspeakEngine(std::unique_ptr<PcmOutput> output);

    std::shared_ptr<PcmOutput> m_output;
    std::shared_ptr<Queue> m_queue;
    std::unique_ptr<WorkerThread> m_thread;
    int m_defaultVoice = -1;
    int m_voice = -1;
    int m_rate = 0;
};
