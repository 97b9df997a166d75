#pragma once

#include "sonnerixawav/WavRendering.h"

#include <functional>
#include <optional>

class EspeakWavRendering;
class FliteWavRendering;
class UpctvWavRendering;
namespace VoiceCatalog {
struct Voice;
}

// Renders every job: a speech-dispatcher voice with the synthesizer that speaks it, where
// this program can reach it (SapiRecorderOf), else with the espeak-ng voice of its
// language; the other families go to the UPCTV rendering, which also records festival's
// voices (ona as the UPCTV entry that speaks with her).
class SpeechDispatcherWavRendering : public WavRendering
{
public:
    // The speech-dispatcher voice of a family index; nothing when the service lists none.
    using VoiceLookup = std::function<std::optional<VoiceCatalog::Voice>(int index)>;
    SpeechDispatcherWavRendering(VoiceLookup voices, EspeakWavRendering &espeak, FliteWavRendering &flite,
                                 UpctvWavRendering &others);

    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override;
    QString VoiceNote() const override { return m_voiceNote; }

private:
    VoiceLookup m_voices;
    EspeakWavRendering &m_espeak;
    FliteWavRendering &m_flite;
    UpctvWavRendering &m_others;
    QString m_voiceNote;
};
