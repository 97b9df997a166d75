#pragma once

#include <QString>

#include <functional>

struct RenderJob;

// Renders a job's text with one of flite's built-in voices (kFliteVoices), in process,
// a sentence at a time: the samples go to the file as each sentence is made, and the
// words' times come from the utterance's own segments. Runs on one thread at a time.
class FliteWavRendering
{
public:
    bool Render(const RenderJob &job, const QString &voiceName, const std::function<bool(int)> &progress,
                QString *error);
};

// How much the rate -10..10 stretches a flite voice's own pace: 1 at 0, slower (up to 3)
// below, faster (down to about 0.43) above, on the speech service's scale for flite.
float FliteDurationStretch(int rate);
