#pragma once

#include "sonnerixawav/WavRendering.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Renders with espeak-ng through the shared voice catalog, streaming the samples to the
// file: the espeak-ng family by its index, the UPCTV entries with the espeak-ng voice the
// library speaks them with. Other renderings name the espeak-ng voice themselves.
class EspeakWavRendering : public WavRendering
{
public:
    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override;
    QString VoiceNote() const override { return m_voiceNote; }

    // The job's text in the espeak-ng voice of that index in the catalog, or, when name
    // is not empty, in the voice espeak-ng knows by that name ("ca+m3", "Catalan").
    // note is what VoiceNote then tells.
    bool RenderVoice(const RenderJob &job, int voiceIndex, const QByteArray &name,
                     const std::function<bool(int)> &progress, QString *error, const QString &note = {});

private:
    QString m_voiceNote;
};

// The espeak-ng voice and variant ("ca+m3") the library speaks a UPCTV entry with; empty
// for an index outside the four.
QByteArray UpctvEntryEspeakVoice(int entry);
