#include "sonnerixawav/SpeechDispatcherWavRendering.h"

#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"
#include "sonnerixawav/EspeakWavRendering.h"
#include "sonnerixawav/FliteWavRendering.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/UpctvWavRendering.h"

SpeechDispatcherWavRendering::SpeechDispatcherWavRendering(VoiceLookup voices, EspeakWavRendering &espeak,
                                                           FliteWavRendering &flite, UpctvWavRendering &others)
    : m_voices(std::move(voices)), m_espeak(espeak), m_flite(flite), m_others(others)
{
}

bool SpeechDispatcherWavRendering::Render(const RenderJob &job, const std::function<bool(int)> &progress,
                                          QString *error)
{
    m_voiceNote.clear();
    if (job.voice.family != ExportFamily::Sapi) {
        const bool rendered = m_others.Render(job, progress, error);
        m_voiceNote = m_others.VoiceNote();
        return rendered;
    }
    const std::optional<VoiceCatalog::Voice> voice = m_voices ? m_voices(job.voice.index) : std::nullopt;
    switch (voice ? SapiRecorderOf(*voice) : SapiRecorder::EspeakOfLanguage) {
    case SapiRecorder::Espeak:
        return m_espeak.RenderVoice(job, -1, voice->identifier.toUtf8(), progress, error);
    case SapiRecorder::Flite:
        return m_flite.Render(job, voice->identifier, progress, error);
    case SapiRecorder::Festival: {
        if (voice->identifier != kFestivalOnaVoice)
            return m_others.RenderFestivalVoice(job, voice->identifier, progress, error);
        RenderJob ona = job;
        ona.voice = {ExportFamily::Upctv, VoiceCatalog::kUpctvOnaEntry};
        return m_others.Render(ona, progress, error);
    }
    case SapiRecorder::EspeakOfLanguage:
        break;
    }
    // A synthesizer this program cannot reach: its language's espeak-ng voice instead.
    const QString language = voice ? voice->language : QString();
    const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    const int instead = VoiceCatalog::EspeakVoiceForLanguage(espeak, language);
    if (instead < 0) {
        if (error)
            *error = QStringLiteral("no espeak-ng voice for speech-dispatcher voice %1 (language \"%2\")")
                         .arg(job.voice.index)
                         .arg(language);
        return false;
    }
    const bool rendered = m_espeak.RenderVoice(
        job, instead, QByteArray(), progress, error,
        QStringLiteral("speech-dispatcher voice %1 rendered with the espeak-ng voice %2")
            .arg(job.voice.index)
            .arg(espeak.at(instead).identifier));
    m_voiceNote = m_espeak.VoiceNote();
    return rendered;
}
