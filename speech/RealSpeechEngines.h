#pragma once

#include "speech/SpeechController.h"

#include <QString>

#include <functional>

#include <memory>

class DesktopWindows;
class EspeakEngine;
class SpeechDispatcherEngine;
class DlopenUpctvLibrary;
class UpctvEngine;
class QtWavePlayer;
class QtMediaPlayer;

// The engines of this machine: espeak-ng in process, speech-dispatcher, the run-time
// loaded library from the program's folder, and the Qt Multimedia players. An engine
// that cannot be set up is absent.
class RealSpeechEngines
{
public:
    // desktop may be null: the library's own window is then not looked for. Without
    // waitForService the speech service's voices are left to ServiceVoicesLater.
    RealSpeechEngines(const QString &programDir, DesktopWindows *desktop, bool waitForService = true);
    ~RealSpeechEngines();

    SpeechEngineSet Engines() const;
    // Whether the espeak-ng voices can be heard (a sound device exists).
    bool Audible() const { return m_audible; }
    // Reaches the speech service off the GUI thread and hands its engine (null when it
    // cannot be reached within the limit) to ready on the GUI thread, while context lives.
    void ServiceVoicesLater(QObject *context, std::function<void(VoiceEngine *)> ready);

private:
    std::unique_ptr<EspeakEngine> m_espeak;
    std::shared_ptr<SpeechDispatcherEngine> m_speechDispatcher;
    std::unique_ptr<DlopenUpctvLibrary> m_upctvLibrary;
    std::unique_ptr<UpctvEngine> m_upctv;
    std::unique_ptr<QtWavePlayer> m_wave;
    std::unique_ptr<QtMediaPlayer> m_media;
    bool m_audible = false;
};
