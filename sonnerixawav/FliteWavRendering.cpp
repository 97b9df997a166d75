#include "sonnerixawav/FliteWavRendering.h"

#include "core/WholeFiles.h"
#include "export/AudioExportProtocol.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/WavFileWriter.h"

#include <QHash>

#include <algorithm>
#include <memory>
#include <mutex>

extern "C" {
#include <flite/flite.h>

cst_voice *register_cmu_us_awb(const char *voxdir);
cst_voice *register_cmu_us_kal(const char *voxdir);
cst_voice *register_cmu_us_kal16(const char *voxdir);
cst_voice *register_cmu_us_rms(const char *voxdir);
cst_voice *register_cmu_us_slt(const char *voxdir);
}

namespace {

// A sentence longer than this is cut at a blank, so that progress and a stop come in time.
constexpr qsizetype kLongestPiece = 400;

const QString kSentenceEnds = QStringLiteral(".!?\u2026:;");

// A voice registered on first use, with the pace it was made to speak at (some voices
// are slowed down a little: kal16 by 1.1).
struct Voice
{
    cst_voice *voice = nullptr;
    float ownStretch = 1.0f;
};

// The voice of that name; a null voice for a name flite lacks.
Voice FliteVoice(const QString &name)
{
    static std::mutex mutex;
    static QHash<QString, Voice> voices;
    std::lock_guard lock(mutex);
    if (voices.isEmpty())
        flite_init();
    if (const auto found = voices.constFind(name); found != voices.constEnd())
        return found.value();
    using Register = cst_voice *(*)(const char *);
    static const QHash<QString, Register> registers = {
        {QStringLiteral("awb"), register_cmu_us_awb},     {QStringLiteral("kal"), register_cmu_us_kal},
        {QStringLiteral("kal16"), register_cmu_us_kal16}, {QStringLiteral("rms"), register_cmu_us_rms},
        {QStringLiteral("slt"), register_cmu_us_slt},
    };
    const Register make = registers.value(name);
    Voice voice;
    voice.voice = make ? make(nullptr) : nullptr;
    if (voice.voice && feat_present(voice.voice->features, "duration_stretch"))
        voice.ownStretch = feat_float(voice.voice->features, "duration_stretch");
    voices.insert(name, voice);
    return voice;
}

// Where the text is cut into the pieces flite is given: after a sentence's final
// punctuation and the blanks that follow it, after a line break, or at a blank once a
// piece grows too long. Each piece is [begin, next begin).
QList<qsizetype> PieceStarts(const QString &text)
{
    QList<qsizetype> starts{0};
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i++);
        const bool ends = c == QLatin1Char('\n')
            || (kSentenceEnds.contains(c) && (i == text.size() || text.at(i).isSpace()))
            || (c.isSpace() && i - starts.constLast() > kLongestPiece);
        if (!ends)
            continue;
        while (i < text.size() && text.at(i).isSpace() && text.at(i) != QLatin1Char('\n'))
            ++i;
        if (i < text.size())
            starts << i;
    }
    return starts;
}

// The end time, in seconds, of a segment reached from an item by a feature path; -1
// when there is no such segment.
float SegmentEnd(const cst_item *item, const char *path)
{
    const cst_item *segment = path_to_item(item, path);
    return segment && item_feat_present(segment, "end") ? item_feat_float(segment, "end") : -1.0f;
}

struct UtteranceDeleter
{
    void operator()(cst_utterance *utterance) const { delete_utterance(utterance); }
};

} // namespace

namespace
{
// The place in the text of each byte of a piece's UTF-8 that flite was given, and the
// piece's end after the last.
QList<qsizetype> BytePlaces(const QString &piece, qsizetype begin, qsizetype end)
{
    QList<qsizetype> places;
    places.reserve(piece.size() * 3 + 1);
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const char16_t c = piece.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < piece.size() && piece.at(i + 1).isLowSurrogate();
        // UTF-8 takes 1 byte below U+0080, 2 below U+0800, 4 for a surrogate pair, else 3;
        // Qt writes a lone surrogate as one "?".
        const int length = pair ? 4 : c < 0x80 || QChar::isSurrogate(c) ? 1 : c < 0x800 ? 2 : 3;
        for (int k = 0; k < length; ++k)
            places << begin + i;
        i += pair ? 1 : 0;
    }
    places << end;
    return places;
}

struct FlitePiece
{
    const QString &text;  // the whole text
    const QString &piece; // text[begin, end)
    const QByteArray &bytes;
    qsizetype begin;
    qsizetype end;
    qint64 startMs; // where its sound begins in the recording
};

// Each token flite heard in a piece as a word mark, and a sentence mark before the first
// word of each sentence; lastWordEnd carries the place after the last word over pieces.
void MarkWords(const FlitePiece &piece, cst_utterance *utterance, WordTimes &times, qsizetype &lastWordEnd)
{
    const QList<qsizetype> places = BytePlaces(piece.piece, piece.begin, piece.end);
    qsizetype cursor = 0;
    cst_relation *tokens = utt_relation(utterance, "Token");
    for (const cst_item *token = tokens ? relation_head(tokens) : nullptr; token; token = item_next(token)) {
        const cst_item *first = item_daughter(token);
        const cst_item *last = item_last_daughter(token);
        const char *name = item_feat_present(token, "name") ? item_feat_string(token, "name") : nullptr;
        if (!first || !last || !name || !*name)
            continue;
        const qsizetype at = piece.bytes.indexOf(name, cursor);
        if (at < 0)
            continue;
        cursor = at + qsizetype(qstrlen(name));
        const float startS = SegmentEnd(first, "R:SylStructure.daughter1.daughter1.R:Segment.p");
        const float endS = SegmentEnd(last, "R:SylStructure.daughtern.daughtern.R:Segment");
        if (startS < 0 || endS <= startS)
            continue;  // a token that is not heard (a dash, a letter flite cannot say)
        const qsizetype position = places.at(at);
        const qsizetype wordEnd = cursor < places.size() ? places.at(cursor) : piece.end;
        const qint64 ms = piece.startMs + qint64(startS * 1000.0f);
        const QString between = lastWordEnd < 0 ? QString() : piece.text.mid(lastWordEnd, position - lastWordEnd);
        const bool sentence = lastWordEnd < 0 || std::any_of(between.begin(), between.end(), [](QChar c) {
                                  return c == QLatin1Char('\n') || kSentenceEnds.contains(c);
                              });
        if (sentence)
            times.marks << VoiceCatalog::SpokenMark{VoiceCatalog::SpokenMark::Kind::Sentence, position, 0, ms};
        times.marks << VoiceCatalog::SpokenMark{VoiceCatalog::SpokenMark::Kind::Word, position, wordEnd - position, ms};
        lastWordEnd = wordEnd;
    }
}
} // namespace

float FliteDurationStretch(int rate)
{
    const float service = float(std::clamp(rate, -10, 10) * 10);
    return service < 0 ? 1.0f - service / 50.0f : 1.0f - service / 175.0f;
}

bool FliteWavRendering::Render(const RenderJob &job, const QString &voiceName, const std::function<bool(int)> &progress,
                               QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const Voice registered = FliteVoice(voiceName);
    cst_voice *voice = registered.voice;
    if (!voice)
        return fail(QStringLiteral("flite has no voice \"%1\"").arg(voiceName));
    feat_set_float(voice->features, "duration_stretch", registered.ownStretch * FliteDurationStretch(job.rate));

    QString text = job.text;
    text.replace(QChar(0), QLatin1Char(' '));
    const QList<qsizetype> starts = PieceStarts(text);
    std::unique_ptr<WavFileWriter> writer;
    int sampleRate = 0;
    WordTimes times;
    qsizetype lastWordEnd = -1;
    for (qsizetype p = 0; p < starts.size(); ++p) {
        const qsizetype begin = starts.at(p);
        const qsizetype end = p + 1 < starts.size() ? starts.at(p + 1) : text.size();
        const QString piece = text.mid(begin, end - begin);
        const QByteArray bytes = piece.toUtf8();
        const std::unique_ptr<cst_utterance, UtteranceDeleter> utterance(
            piece.trimmed().isEmpty() ? nullptr : flite_synth_text(bytes.constData(), voice));
        const cst_wave *wave = utterance ? utt_wave(utterance.get()) : nullptr;
        if (!writer && (wave || p + 1 == starts.size())) {
            sampleRate = wave && wave->sample_rate > 0 ? wave->sample_rate : 16000;
            writer = std::make_unique<WavFileWriter>(job.outputPath, sampleRate);
            if (!writer->Open())
                return fail(writer->Error());
        }
        const qint64 pieceMs = writer ? writer->SampleCount() * 1000 / sampleRate : 0;
        if (wave && wave->num_channels != 1) {
            writer->Cancel();
            return fail(QStringLiteral("flite's voice %1 is not mono").arg(voiceName));
        }

        if (utterance)
            MarkWords({text, piece, bytes, begin, end, pieceMs}, utterance.get(), times, lastWordEnd);

        if (wave && wave->num_samples > 0) {
            if (wave->sample_rate != sampleRate) {
                writer->Cancel();
                return fail(QStringLiteral("flite changed its sample rate within the text"));
            }
            if (!writer->Write(wave->samples, wave->num_samples)) {
                writer->Cancel();
                return fail(writer->Error());
            }
        }
        const int percent = int(qMin<qint64>(99, qint64(end) * 100 / qMax<qsizetype>(1, text.size())));
        if (progress && !progress(percent)) {
            if (writer)
                writer->Cancel();
            return fail(QStringLiteral("stopped"));
        }
    }
    // The times go first: once the sound file is there, the editor may look for them.
    if (!job.wordTimesPath.isEmpty()) {
        times.soundMs = writer->SampleCount() * 1000 / sampleRate;
        WholeFiles::WriteFile(job.wordTimesPath, WordTimesFileContents(times), nullptr);
    }
    if (!writer->Commit())
        return fail(writer->Error());
    if (progress)
        progress(100);
    return true;
}
