#pragma once

#include "engines/SpeechEngines.h"

// The family that stands for no voice, last after the others: it speaks nothing, and
// each reading fails at once as having no voice, so that its end is told and nothing
// waits for it.
class SilentEngine : public VoiceEngine
{
public:
    int VoiceCount() override { return 0; }
    std::optional<QString> VoiceDescription(int) override { return std::nullopt; }
    bool SelectVoice(int) override { return true; }
    bool SetRate(int) override { return true; }
    bool Speak(const QString &, quint64) override { return false; }
    bool WaitUntilDone() override { return true; }
    bool Skip() override { return true; }
    EngineFailure LastFailure() const override { return {SpeechFailure::NoVoice, {}}; }
};
