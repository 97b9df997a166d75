#include "sonnerixawav/EspeakWavRendering.h"

#include "core/WholeFiles.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/WavFileWriter.h"
#include "engines/VoiceCatalog.h"

#include <QRegularExpression>

namespace {

// The samples the text will take, roughly, so that progress can be told as a percentage.
qint64 ExpectedSamples(const QString &text, int rate, int sampleRate)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const qint64 words = qMax<qint64>(1, text.split(blanks, Qt::SkipEmptyParts).size());
    return qMax<qint64>(1, words * 60 * sampleRate / VoiceCatalog::EspeakWordsPerMinute(rate));
}

} // namespace

QByteArray UpctvEntryEspeakVoice(int entry)
{
    if (entry < 0 || entry >= VoiceCatalog::kUpctvEntryCount)
        return {};
    // As the library itself speaks them: Catalan speaker 2 a woman, Spanish speaker 1 a man.
    const VoiceCatalog::UpctvEntry &voice = VoiceCatalog::kUpctvEntries[size_t(entry)];
    if (voice.languageCode == 99)
        return voice.speaker == 2 ? QByteArrayLiteral("ca+f2") : QByteArrayLiteral("ca+m3");
    return voice.speaker == 1 ? QByteArrayLiteral("es+m3") : QByteArrayLiteral("es+f2");
}

bool EspeakWavRendering::Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error)
{
    if (job.voice.family == ExportFamily::Upctv) {
        const QByteArray name = UpctvEntryEspeakVoice(job.voice.index);
        if (name.isEmpty()) {
            if (error)
                *error = QStringLiteral("there is no UPCTV voice %1").arg(job.voice.index);
            return false;
        }
        return RenderVoice(job, -1, name, progress, error);
    }
    if (job.voice.family != ExportFamily::Msp) {
        if (error)
            *error = QStringLiteral("espeak-ng is not told which voice speaks a speech-dispatcher voice");
        return false;
    }
    return RenderVoice(job, job.voice.index, QByteArray(), progress, error);
}

bool EspeakWavRendering::RenderVoice(const RenderJob &job, int voiceIndex, const QByteArray &voiceName,
                                     const std::function<bool(int)> &progress, QString *error, const QString &note)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    m_voiceNote = note;
    const int sampleRate = VoiceCatalog::EspeakSampleRate();
    if (sampleRate <= 0)
        return fail(QStringLiteral("espeak-ng cannot be initialised"));
    if (voiceName.isEmpty() && voiceIndex >= VoiceCatalog::EspeakVoices().size())
        return fail(QStringLiteral("there is no espeak-ng voice %1").arg(voiceIndex));
    // Index -1 (no voice chosen yet) gives espeak-ng's default voice.

    WavFileWriter writer(job.outputPath, sampleRate);
    if (!writer.Open())
        return fail(writer.Error());
    const qint64 expected = ExpectedSamples(job.text, job.rate, sampleRate);
    bool writeFailed = false;
    bool stopped = false;
    WordTimes times;
    VoiceCatalog::MarkSink marks;
    if (!job.wordTimesPath.isEmpty())
        marks = [&times](const VoiceCatalog::SpokenMark &mark) { times.marks << mark; };
    const VoiceCatalog::SampleSink sink = [&](const qint16 *samples, int count) {
        if (!writer.Write(samples, count)) {
            writeFailed = true;
            return false;
        }
        const int percent = int(qMin<qint64>(99, writer.SampleCount() * 100 / expected));
        if (progress && !progress(percent)) {
            stopped = true;
            return false;
        }
        return true;
    };
    const bool rendered = voiceName.isEmpty()
        ? VoiceCatalog::RenderEspeakMarked(job.text, voiceIndex, job.rate, sink, marks)
        : VoiceCatalog::RenderEspeakNamed(job.text, voiceName, job.rate, sink, marks);
    if (!rendered || writeFailed || stopped) {
        writer.Cancel();
        return fail(writeFailed ? writer.Error()
                    : stopped   ? QStringLiteral("stopped")
                                : QStringLiteral("espeak-ng could not render the text"));
    }
    // The times go first: once the sound file is there, the editor may look for them.
    if (marks) {
        times.soundMs = writer.SampleCount() * 1000 / sampleRate;
        QString timesError;
        if (!WholeFiles::WriteFile(job.wordTimesPath, WordTimesFileContents(times), &timesError))
            m_voiceNote += (m_voiceNote.isEmpty() ? QString() : QStringLiteral("; "))
                           + QStringLiteral("no word times: %1").arg(timesError);
    }
    if (!writer.Commit())
        return fail(writer.Error());
    if (progress)
        progress(100);
    return true;
}
