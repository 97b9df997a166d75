#include "speech/RealSpeechEngines.h"

#include "platform/QtSoundPlayers.h"
#include "platform/WorkerThread.h"
#include "engines/EspeakEngine.h"
#include "engines/SpeechDispatcherEngine.h"
#include "engines/UpctvEngine.h"
#include "engines/UpctvLoader.h"
#include "speech/SpeakPreparation.h"

RealSpeechEngines::RealSpeechEngines(const QString &programDir, DesktopWindows *desktop, bool waitForService)
{
    auto output = std::make_unique<QtPcmOutput>();
    m_audible = output->Audible();
    m_espeak = EspeakEngine::Create(std::move(output));
    if (waitForService)
        m_speechDispatcher = SpeechDispatcherEngine::Create();
    m_upctvLibrary = std::make_unique<DlopenUpctvLibrary>(DlopenUpctvLibrary::DefaultCandidates(programDir));
    m_upctv = std::make_unique<UpctvEngine>(m_upctvLibrary.get(), desktop, SpeakPreparation::UpctvLibraryText);
    m_wave = std::make_unique<QtWavePlayer>();
    m_media = std::make_unique<QtMediaPlayer>();
}

RealSpeechEngines::~RealSpeechEngines() = default;

SpeechEngineSet RealSpeechEngines::Engines() const
{
    SpeechEngineSet engines;
    engines.msp = m_espeak.get();
    engines.sapi = m_speechDispatcher.get();
    engines.upctv = m_upctv.get();
    engines.wave = m_wave.get();
    engines.media = m_media.get();
    return engines;
}

void RealSpeechEngines::ServiceVoicesLater(QObject *context, std::function<void(VoiceEngine *)> ready)
{
    using Engine = std::shared_ptr<SpeechDispatcherEngine>;
    RunInBackground<Engine>([] { return Engine(SpeechDispatcherEngine::Create()); }, context,
                            [this, ready = std::move(ready)](Engine engine) {
        m_speechDispatcher = std::move(engine);
        ready(m_speechDispatcher.get());
    });
}
