#pragma once

#include "sonnerixawav/WavRendering.h"

#include <QStringList>

#include <functional>

// Renders with libespeak-ng in its synchronous mode, streaming the samples to the file.
// Voices of the speech-dispatcher family are rendered with the espeak-ng voice of their
// language, which sapiLanguage gives for a family index (empty when unknown).
class EspeakWavRendering : public WavRendering
{
public:
    explicit EspeakWavRendering(std::function<QString(int)> sapiLanguage = {});

    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override;
    QString VoiceNote() const override { return m_voiceNote; }

private:
    bool Initialise(QString *error);
    bool SelectVoice(const RenderJob &job, QString *error);

    std::function<QString(int)> m_sapiLanguage;
    int m_sampleRate = 0;
    QString m_voiceNote;
};
