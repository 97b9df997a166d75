#pragma once

#include "engines/SpeechEngines.h"
#include "engines/VoiceCatalog.h"

#include <memory>

class QTimer;
class WorkerThread;

// The voices of the desktop's speech service (speech-dispatcher) outside espeak-ng.
// Every request to the service runs on a thread of our own and is waited for only so
// long: a service that stops answering leaves the speech silent, never the program
// hung. Texts queue in the service one after another; its notifications of begun and
// ended messages are what WaitUntilDone waits on.
class SpeechDispatcherEngine : public VoiceEngine
{
public:
    // Nothing when the service cannot be reached within the time limit.
    static std::unique_ptr<SpeechDispatcherEngine> Create(int timeoutMs = 3000);
    ~SpeechDispatcherEngine() override;

    int VoiceCount() override { return int(m_voices.size()); }
    std::optional<QString> VoiceDescription(int index) override;
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    using VoiceEngine::Speak;
    bool Speak(const QString &text, quint64 utterance) override;
    bool WaitUntilDone() override;
    bool Skip() override;
    // Each word is marked in the text sent: modules that tell of the marks they reach
    // give the words as they are heard; with the others a text is heard whole.
    void SetWordListener(HeardWordListener listener) override;
    // The modules known to tell of their marks (espeak-ng's, festival's and the like),
    // and any other once it has told of one; not flite's or the generic ones.
    bool VoiceTellsWords(int index) override;

    struct Service;

private:
    SpeechDispatcherEngine(std::shared_ptr<Service> service, std::unique_ptr<WorkerThread> thread,
                           QList<VoiceCatalog::Voice> voices);
    void WatchTheService();

    std::shared_ptr<Service> m_service;
    std::unique_ptr<WorkerThread> m_thread;
    QList<VoiceCatalog::Voice> m_voices;
    // Looks, while texts are under way, whether the service has gone: their readings
    // then end at once instead of waiting for news that never comes.
    std::unique_ptr<QTimer> m_watch;
};
