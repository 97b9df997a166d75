#pragma once

#include "speech/SpeechController.h"

#include <QString>

#include <memory>

class EspeakEngine;
class SpeechDispatcherEngine;
class DlopenUpctvLibrary;
class QtWavePlayer;
class QtMediaPlayer;

// The engines of this machine: espeak-ng in process, speech-dispatcher, the run-time
// loaded library from the program's folder, and the Qt Multimedia players. An engine
// that cannot be set up is absent.
class RealSpeechEngines
{
public:
    // desktop may be null: the library's own window is then not looked for.
    RealSpeechEngines(const QString &programDir, DesktopWindows *desktop);
    ~RealSpeechEngines();

    SpeechEngineSet Engines() const;
    // Whether the espeak-ng voices can be heard (a sound device exists).
    bool Audible() const { return m_audible; }

private:
    std::unique_ptr<EspeakEngine> m_espeak;
    std::unique_ptr<SpeechDispatcherEngine> m_speechDispatcher;
    std::unique_ptr<DlopenUpctvLibrary> m_upctv;
    std::unique_ptr<QtWavePlayer> m_wave;
    std::unique_ptr<QtMediaPlayer> m_media;
    DesktopWindows *m_desktop;
    bool m_audible = false;
};
