#include "sonnerixawav/UpctvWavRendering.h"

#include "core/WholeFiles.h"
#include "export/AudioExportProtocol.h"
#include "sonnerixawav/RenderJob.h"
#include "speech/SpeakPreparation.h"
#include "engines/VoiceCatalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

#include <dlfcn.h>

namespace {

// upcTVRender's answer for a voice it cannot render.
constexpr int kCannotRender = -2;

// What the library's callbacks fill in while it renders.
struct RenderContext
{
    const QString *plain = nullptr;
    const UpctvRenderText *text = nullptr;
    qsizetype lastWordEnd = -1;
    WordTimes times;
    const std::function<bool(int)> *progress = nullptr;
    bool stopped = false;
};

void HeardWord(void *context, int start, int length, int ms)
{
    auto *render = static_cast<RenderContext *>(context);
    const UpctvRenderText &text = *render->text;
    if (start < 0 || length <= 0 || start + length > text.bytes.size())
        return;
    const qsizetype position = text.PlaceOf(start);
    const qsizetype end = text.PlaceOf(start + length - 1) + 1;
    if (position < render->lastWordEnd)
        return;
    // A sentence begins at the first word and after a full stop, a question, an
    // exclamation or a line break, as the subtitles cut their cues.
    static const QString kSentenceEnds = QStringLiteral(".!?\u2026\n");
    const QString between = render->lastWordEnd < 0
        ? QString() : render->plain->mid(render->lastWordEnd, position - render->lastWordEnd);
    const bool sentence = render->lastWordEnd < 0
        || std::any_of(between.begin(), between.end(), [](QChar c) { return kSentenceEnds.contains(c); });
    if (sentence)
        render->times.marks << VoiceCatalog::SpokenMark{VoiceCatalog::SpokenMark::Kind::Sentence, position, 0,
                                                        qMax(0, ms)};
    render->times.marks << VoiceCatalog::SpokenMark{VoiceCatalog::SpokenMark::Kind::Word, position,
                                                    end - position, qMax(0, ms)};
    render->lastWordEnd = end;
}

int Progress(void *context, int percent)
{
    auto *render = static_cast<RenderContext *>(context);
    if (*render->progress && !(*render->progress)(qBound(0, percent, 99)))
        render->stopped = true;
    return render->stopped ? 0 : 1;
}

// The length of the sound of a 16-bit mono WAV file, from its header.
qint64 SoundMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(44);
    if (header.size() < 44 || !header.startsWith("RIFF"))
        return 0;
    const quint32 rate = qFromLittleEndian<quint32>(header.constData() + 24);
    const quint32 bytes = qFromLittleEndian<quint32>(header.constData() + 40);
    return rate > 0 ? qint64(bytes) / 2 * 1000 / rate : 0;
}

} // namespace

UpctvRenderText UpctvTextToRender(const QString &text)
{
    QString letters = text;
    letters.replace(QChar(0), QLatin1Char(' '));
    UpctvRenderText result;
    result.bytes = SpeakPreparation::UpctvBytes(letters);
    // The same walk the bytes were made by: one byte a character, two for the l with a
    // dot, one for a character of two halves.
    qsizetype byte = 0;
    for (qsizetype i = 0; i < letters.size(); ++i, ++byte) {
        const char16_t c = letters.at(i).unicode();
        if (c == 0x0140 || c == 0x013F) {
            ++byte;
            result.steps.append({byte, i - byte});
        } else if (letters.at(i).isHighSurrogate() && i + 1 < letters.size() && letters.at(i + 1).isLowSurrogate()) {
            ++i;
            result.steps.append({byte + 1, i + 1 - (byte + 1)});
        }
    }
    result.placed = byte == result.bytes.size();
    return result;
}

qsizetype UpctvRenderText::PlaceOf(qsizetype b) const
{
    const auto after = std::upper_bound(steps.begin(), steps.end(), b,
                                        [](qsizetype at, const Step &step) { return at < step.first; });
    return b + (after == steps.begin() ? 0 : (after - 1)->shift);
}

UpctvWavRendering::UpctvWavRendering(QStringList libraries, WavRendering &others)
    : m_libraries(std::move(libraries)), m_others(others)
{
}

UpctvWavRendering::~UpctvWavRendering()
{
    if (m_handle)
        dlclose(m_handle);
}

QStringList UpctvWavRendering::DefaultLibraries(const QString &programDir)
{
    QStringList libraries;
    if (!programDir.isEmpty())
        libraries << QDir(programDir).filePath(QStringLiteral("libupctv.so"));
    return libraries << QStringLiteral("libupctv.so");
}

bool UpctvWavRendering::Load(QString *error)
{
    if (m_render)
        return true;
    for (const QString &library : std::as_const(m_libraries)) {
        if ((m_handle = dlopen(QFile::encodeName(library).constData(), RTLD_NOW | RTLD_LOCAL)))
            break;
    }
    if (!m_handle) {
        *error = QStringLiteral("libupctv.so cannot be loaded");
        return false;
    }
    m_setLanguage = reinterpret_cast<decltype(m_setLanguage)>(dlsym(m_handle, "upcTVSetLanguage"));
    m_setSpeaker = reinterpret_cast<decltype(m_setSpeaker)>(dlsym(m_handle, "upcTVSetSpeaker"));
    m_setSpeed = reinterpret_cast<decltype(m_setSpeed)>(dlsym(m_handle, "upcTVSetSpeed"));
    m_status = reinterpret_cast<decltype(m_status)>(dlsym(m_handle, "upcTVStatus"));
    m_render = reinterpret_cast<decltype(m_render)>(dlsym(m_handle, "upcTVRender"));
    m_renderFestival = reinterpret_cast<decltype(m_renderFestival)>(dlsym(m_handle, "upcTVRenderFestival"));
    if (!m_setLanguage || !m_setSpeaker || !m_setSpeed || !m_render) {
        m_render = nullptr;
        *error = QStringLiteral("libupctv.so has no rendering entry point");
        return false;
    }
    return true;
}

QString UpctvWavRendering::VoiceNote() const
{
    return m_usedOthers ? m_others.VoiceNote() : QString();
}

bool UpctvWavRendering::Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error)
{
    const auto others = [&] {
        m_usedOthers = true;
        return m_others.Render(job, progress, error);
    };
    m_usedOthers = false;
    if (job.voice.family != ExportFamily::Upctv)
        return others();
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const int entry = job.voice.index;
    if (entry < 0 || entry >= VoiceCatalog::kUpctvEntryCount)
        return fail(QStringLiteral("there is no UPCTV voice %1").arg(entry));
    const QString name = VoiceCatalog::UpctvEntryText(entry);
    QString loadError;
    // Without the library, the entries it speaks with espeak-ng are still rendered alike.
    if (!Load(&loadError))
        return entry == VoiceCatalog::kUpctvOnaEntry ? fail(loadError) : others();
    const VoiceCatalog::UpctvEntry &voice = VoiceCatalog::kUpctvEntries[size_t(entry)];
    m_setLanguage(voice.languageCode);
    m_setSpeaker(voice.speaker);
    m_setSpeed(VoiceCatalog::UpctvSpeed(job.rate));
    if (m_status && m_status(2) != 0)
        return fail(QStringLiteral("the synthesizer of %1 is not installed (festival festival-ca festvox-ca-ona-hts)")
                        .arg(name));

    const int rendered = RenderInto(job, progress, error, name, m_render);
    return rendered == kCannotRender ? others() : rendered == 0;
}

bool UpctvWavRendering::RenderFestivalVoice(const RenderJob &job, const QString &voice,
                                            const std::function<bool(int)> &progress, QString *error)
{
    m_usedOthers = false;
    QString loadError;
    if (!Load(&loadError) || !m_renderFestival) {
        if (error)
            *error = loadError.isEmpty() ? QStringLiteral("libupctv.so cannot render festival's voices") : loadError;
        return false;
    }
    m_setSpeed(VoiceCatalog::UpctvSpeed(job.rate));
    const QByteArray name = voice.toLatin1();
    return RenderInto(job, progress, error, QStringLiteral("festival's voice %1").arg(voice),
                      [this, &name](const char *text, const char *file, auto word, auto percent, void *context) {
                          return m_renderFestival(name.constData(), text, file, word, percent, context);
                      }) == 0;
}

int UpctvWavRendering::RenderInto(const RenderJob &job, const std::function<bool(int)> &progress, QString *error,
                                  const QString &name, const LibraryRender &render)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return -1;
    };
    const UpctvRenderText text = UpctvTextToRender(job.text);
    RenderContext context;
    context.plain = &job.text;
    context.text = &text;
    context.progress = &progress;
    // Written under a name of its own and renamed when whole, as the editor expects.
    const QFileInfo output(job.outputPath);
    const QString part = output.dir().filePath(
        QStringLiteral(".%1.upctv-%2").arg(output.fileName()).arg(QCoreApplication::applicationPid()));
    const int rendered = render(text.bytes.constData(), QFile::encodeName(part).constData(),
                                text.placed ? HeardWord : nullptr, Progress, &context);
    if (rendered == kCannotRender) {
        QFile::remove(part);
        return kCannotRender;
    }
    if (rendered != 0 || context.stopped) {
        QFile::remove(part);
        return fail(context.stopped ? QStringLiteral("stopped") : QStringLiteral("%1 could not render the text").arg(name));
    }
    // The times go first: once the sound file is there, the editor may look for them.
    if (!job.wordTimesPath.isEmpty()) {
        context.times.soundMs = SoundMs(part);
        WholeFiles::WriteFile(job.wordTimesPath, WordTimesFileContents(context.times), nullptr);
    }
    QFile::remove(job.outputPath);
    if (!QFile::rename(part, job.outputPath)) {
        QFile::remove(part);
        return fail(QStringLiteral("cannot write %1").arg(job.outputPath));
    }
    if (progress)
        progress(100);
    return 0;
}
