#pragma once

#include "sonnerixawav/WavRendering.h"

#include <QList>
#include <QString>

#include <functional>

namespace VoiceCatalog {
struct Voice;
}

// Renders with espeak-ng through the shared voice catalog, streaming the samples to the
// file. Voices of the speech-dispatcher family are rendered with the espeak-ng voice of
// their language, which sapiLanguage gives for a family index (empty when unknown); the
// UPCTV entries with the espeak-ng voice the library speaks them with.
class EspeakWavRendering : public WavRendering
{
public:
    explicit EspeakWavRendering(std::function<QString(int)> sapiLanguage = {});

    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override;
    QString VoiceNote() const override { return m_voiceNote; }

private:
    std::function<QString(int)> m_sapiLanguage;
    QString m_voiceNote;
};

// The espeak-ng voice and variant ("ca+m3") the library speaks a UPCTV entry with; empty
// for an index outside the four.
QByteArray UpctvEntryEspeakVoice(int entry);
