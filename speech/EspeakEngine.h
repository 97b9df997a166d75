#pragma once

#include "speech/SpeechEngines.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class PcmOutput;

// The espeak-ng voices in process. One thread renders in espeak-ng's synchronous mode
// and streams the samples to the sound output, so Speak returns at once and Skip
// stops the rendering within one block.
class EspeakEngine : public VoiceEngine
{
public:
    // Nothing when espeak-ng cannot be initialised.
    static std::unique_ptr<EspeakEngine> Create(std::unique_ptr<PcmOutput> output);
    ~EspeakEngine() override;

    int VoiceCount() override;
    std::optional<QString> VoiceDescription(int index) override;
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    bool Speak(const QString &text) override;
    bool WaitUntilDone() override;
    bool Skip() override;

private:
    explicit EspeakEngine(std::unique_ptr<PcmOutput> output);
    void Run();

    std::unique_ptr<PcmOutput> m_output;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_voice = -1;
    int m_rate = 0;
    quint64 m_generation = 0;     // raised by every Speak and Skip
    bool m_pending = false;
    bool m_rendering = false;
    bool m_quit = false;
    QString m_text;
    int m_jobVoice = -1;
    int m_jobRate = 0;
    std::thread m_thread;
};
