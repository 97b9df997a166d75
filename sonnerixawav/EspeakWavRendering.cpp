#include "sonnerixawav/EspeakWavRendering.h"

#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/WavFileWriter.h"
#include "speech/AudioExportVoices.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

namespace {

struct Synthesis
{
    WavFileWriter *writer = nullptr;
    const std::function<bool(int)> *progress = nullptr;
    qint64 characters = 1;
    bool stopped = false;
    bool failed = false;
};

int ReceiveSamples(short *samples, int count, espeak_EVENT *events)
{
    auto *synthesis = static_cast<Synthesis *>(events ? events->user_data : nullptr);
    if (!synthesis)
        return 1;
    if (samples && count > 0 && !synthesis->writer->Write(samples, count)) {
        synthesis->failed = true;
        return 1;
    }
    int position = -1;
    for (espeak_EVENT *event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event)
        if (event->type == espeakEVENT_WORD || event->type == espeakEVENT_SENTENCE)
            position = event->text_position;
    if (position >= 0 && synthesis->progress && *synthesis->progress) {
        const int percent = int(qMin<qint64>(100, qint64(position) * 100 / synthesis->characters));
        if (!(*synthesis->progress)(percent)) {
            synthesis->stopped = true;
            return 1;
        }
    }
    return 0;
}

bool SetVoiceOfLanguage(const QString &language)
{
    QString wanted = language.toLower();
    for (int attempt = 0; attempt < 2 && !wanted.isEmpty(); ++attempt) {
        const QByteArray code = wanted.toUtf8();
        espeak_VOICE properties{};
        properties.languages = code.constData();
        if (espeak_SetVoiceByProperties(&properties) == EE_OK)
            return true;
        wanted = wanted.section(QLatin1Char('-'), 0, 0);
    }
    return false;
}

} // namespace

EspeakWavRendering::EspeakWavRendering(std::function<QString(int)> sapiLanguage)
    : m_sapiLanguage(std::move(sapiLanguage))
{
}

bool EspeakWavRendering::Initialise(QString *error)
{
    if (m_sampleRate > 0)
        return true;
    ExportVoices::EspeakVoiceIdentifiers();  // initialises the engine once
    const int rate = espeak_ng_GetSampleRate();
    if (rate <= 0) {
        *error = QStringLiteral("espeak-ng cannot be initialised");
        return false;
    }
    espeak_SetSynthCallback(ReceiveSamples);
    m_sampleRate = rate;
    return true;
}

bool EspeakWavRendering::SelectVoice(const RenderJob &job, QString *error)
{
    m_voiceNote.clear();
    if (job.voice.family == ExportFamily::Sapi) {
        const QString language = m_sapiLanguage ? m_sapiLanguage(job.voice.index) : QString();
        if (language.isEmpty() || !SetVoiceOfLanguage(language)) {
            *error = QStringLiteral("no espeak-ng voice for speech-dispatcher voice %1 (language \"%2\")")
                         .arg(job.voice.index).arg(language);
            return false;
        }
        m_voiceNote = QStringLiteral("speech-dispatcher voice %1 rendered with the espeak-ng voice of \"%2\"")
                          .arg(job.voice.index).arg(language);
        return true;
    }
    const QStringList voices = ExportVoices::EspeakVoiceIdentifiers();
    // Index -1 (no voice chosen yet) keeps the engine's own default voice.
    if (job.voice.index < 0) {
        espeak_SetVoiceByName("en");
        return true;
    }
    if (job.voice.index >= voices.size()) {
        *error = QStringLiteral("there is no espeak-ng voice %1").arg(job.voice.index);
        return false;
    }
    if (espeak_SetVoiceByName(voices.at(job.voice.index).toUtf8().constData()) != EE_OK) {
        *error = QStringLiteral("espeak-ng cannot load voice %1").arg(voices.at(job.voice.index));
        return false;
    }
    return true;
}

bool EspeakWavRendering::Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error)
{
    QString reason;
    if (!Initialise(&reason) || !SelectVoice(job, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    espeak_SetParameter(espeakRATE, ExportVoices::EspeakWordsPerMinute(job.rate), 0);

    WavFileWriter writer(job.outputPath, m_sampleRate);
    if (!writer.Open()) {
        if (error)
            *error = writer.Error();
        return false;
    }
    const QByteArray text = job.text.toUtf8();
    Synthesis synthesis;
    synthesis.writer = &writer;
    synthesis.progress = &progress;
    synthesis.characters = qMax<qint64>(1, job.text.size());
    const espeak_ERROR result = espeak_Synth(text.constData(), size_t(text.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, &synthesis);
    espeak_Synchronize();
    if (result != EE_OK || synthesis.failed || synthesis.stopped) {
        writer.Cancel();
        if (error)
            *error = synthesis.failed ? writer.Error()
                     : synthesis.stopped ? QStringLiteral("stopped")
                                         : QStringLiteral("espeak-ng could not render the text");
        return false;
    }
    if (!writer.Commit()) {
        if (error)
            *error = writer.Error();
        return false;
    }
    return true;
}
