#pragma once

#include <QString>

#include <functional>

struct RenderJob;

// What renders a job's text into its WAV file. progress gets 0..100 as the text is
// rendered and returns false to stop. Errors come back as false with the reason.
class WavRendering
{
public:
    virtual ~WavRendering() = default;
    virtual bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) = 0;
    // A line about the voice actually used, for the log; empty when nothing to say.
    virtual QString VoiceNote() const { return QString(); }
};
