#pragma once

#include "speech/SpeechEngines.h"
#include "speech/VoiceCatalog.h"

#include <QObject>

#include <memory>

// The voices of the desktop's speech service (speech-dispatcher) outside espeak-ng.
// Every request to the service runs on a thread of our own and is waited for only so
// long: a service that stops answering leaves the speech silent, never the program
// hung. The service's notifications set the state WaitUntilDone waits on, and reach
// the GUI thread as signals.
class SpeechDispatcherEngine : public QObject, public VoiceEngine
{
    Q_OBJECT
public:
    // Nothing when the service cannot be reached within the time limit.
    static std::unique_ptr<SpeechDispatcherEngine> Create(int timeoutMs = 3000);
    ~SpeechDispatcherEngine() override;

    int VoiceCount() override { return int(m_voices.size()); }
    std::optional<QString> VoiceDescription(int index) override;
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    bool Speak(const QString &text) override;
    bool WaitUntilDone() override;
    bool Skip() override;

    struct Service;

signals:
    void speechEnded(bool cancelled);

private:
    SpeechDispatcherEngine(std::shared_ptr<Service> service, QList<VoiceCatalog::Voice> voices);

    std::shared_ptr<Service> m_service;
    QList<VoiceCatalog::Voice> m_voices;
};
