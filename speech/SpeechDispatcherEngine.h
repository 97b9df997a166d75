#pragma once

#include "speech/SpeechEngines.h"
#include "speech/VoiceCatalog.h"

#include <QObject>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

// The voices of the desktop's speech service (speech-dispatcher) outside espeak-ng.
// The service's notifications arrive on its own thread: they set the state that
// WaitUntilDone waits on, and are passed on to the GUI thread as signals.
class SpeechDispatcherEngine : public QObject, public VoiceEngine
{
    Q_OBJECT
public:
    // Nothing when the service cannot be reached.
    static std::unique_ptr<SpeechDispatcherEngine> Create(int timeoutMs = 5000);
    ~SpeechDispatcherEngine() override;

    int VoiceCount() override { return int(m_voices.size()); }
    std::optional<QString> VoiceDescription(int index) override;
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    bool Speak(const QString &text) override;
    bool WaitUntilDone() override;
    bool Skip() override;

    // Called from the service's thread.
    void Notify(size_t messageId, bool cancelled);

signals:
    void speechEnded(bool cancelled);

private:
    SpeechDispatcherEngine(void *connection, QList<VoiceCatalog::Voice> voices);

    void *m_connection; // the service's SPDConnection
    QList<VoiceCatalog::Voice> m_voices;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_message = -1;   // our message being spoken, -1 when none
    qint64 m_textLength = 0;
    std::set<size_t> m_ended; // the last few messages the service finished
};
