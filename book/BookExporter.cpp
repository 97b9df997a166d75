#include "book/BookExporter.h"

#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportPrograms.h"
#include "book/Audiobook.h"
#include "book/BookChapters.h"
#include "book/BookEncoders.h"
#include "book/BookTexts.h"
#include "book/EpubBook.h"
#include "export/ExportResult.h"
#include "export/RecordingLength.h"
#include "platform/DesktopWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

using BookTexts::Text;

namespace {

// The hidden name each chapter is recorded under: the process's own, so that the
// leftovers of one that ended early are removed by the next export.
QString ChapterRecordingName()
{
    return QStringLiteral(".Sonnerix-book-%1").arg(QCoreApplication::applicationPid());
}

} // namespace

QString LanguageTagOfVoice(const ExportVoice &voice)
{
    QString language;
    if (voice.family == ExportFamily::Upctv) {
        if (voice.index >= 0 && voice.index < VoiceCatalog::kUpctvEntryCount)
            language = VoiceCatalog::kUpctvEntries[std::size_t(voice.index)].languageCode == 101 ? QStringLiteral("es")
                                                                                                 : QStringLiteral("ca");
    } else {
        const QList<VoiceCatalog::Voice> voices = voice.family == ExportFamily::Msp
                                                      ? VoiceCatalog::EspeakVoices()
                                                      : VoiceCatalog::SpeechDispatcherVoices();
        int index = voice.index;
        if (voice.family == ExportFamily::Msp && index < 0)
            index = VoiceCatalog::EspeakDefaultVoice(VoiceCatalog::SessionLanguage());
        if (index >= 0 && index < voices.size())
            language = voices.at(index).language;
    }
    // A language tag as books carry it: letters and digits in parts of one to eight.
    static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
    language.replace(QLatin1Char('_'), QLatin1Char('-'));
    return tag.match(language).hasMatch() ? language.toLower() : QStringLiteral("und");
}

BookExporter::BookExporter(const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                           QObject *parent)
    : ExportJob(parent), m_paths(paths), m_desktop(desktop), m_recorder(paths, desktop, launcher), m_searchPath(ExecutableSearchPath())
{
    connect(&m_recorder, &AudioExporter::progress, this, [this](int percent) {
        emit progress(qBound(1, (100 * (m_chapterNumber - 1) + percent) / (m_chapterCount + 1), 99));
    });
}

void BookExporter::SetDictionary(std::function<QString(const QString &)> apply)
{
    m_dictionary = apply;
    m_recorder.SetDictionary(std::move(apply));
}

void BookExporter::Stop()
{
    if (!m_busy || m_stopping)
        return;
    m_stopping = true;
    m_recorder.Stop();
    if (m_encoders)
        m_encoders->Abort();
    emit stopRequested();
}

bool BookExporter::Start(const BookRequest &request)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_stopping = false;
    emit busyChanged(true);
    QTimer::singleShot(0, this, [this, request] {
        const ExportResult result = Run(request);
        m_busy = false;
        emit busyChanged(false);
        emit finished(result);
    });
    return true;
}

ExportResult BookExporter::Export(const BookRequest &request)
{
    if (m_busy) {
        ExportResult refused;
        refused.reason = BookTexts::Of(Text::Busy, request.audio.language);
        return refused;
    }
    m_busy = true;
    m_stopping = false;
    emit busyChanged(true);
    const ExportResult result = Run(request);
    m_busy = false;
    emit busyChanged(false);
    emit finished(result);
    return result;
}

ExportResult BookExporter::RecordChapter(const BookRequest &request, const QString &text,
                                         const QList<ExportRun> &runs, int number, int count)
{
    m_chapterNumber = number;
    m_chapterCount = count;
    emit statusText(BookTexts::Of(Text::Chapter, request.audio.language).arg(number).arg(count));
    emit progress(qMax(1, 100 * (number - 1) / (count + 1)));
    ExportRequest job = request.audio;
    job.text = text;
    job.name = ChapterRecordingName();
    // Encoded here, in the background, rather than by the recorder, which would wait for it.
    job.format = ExportFormat::Wav;
    job.subtitles = {};
    job.keepWordTimes = true;
    job.runs = runs;
    return m_recorder.Export(job);
}

QString BookExporter::AddToBook(EpubBook &book, const BookChapter &chapter, const QString &text,
                                const ExportResult &recorded, int language) const
{
    const std::optional<WordTimes> &times = recorded.wordTimes;
    if (!times)
        return BookTexts::Of(Text::NoWordTimes, language);
    const bool words = std::any_of(times->marks.cbegin(), times->marks.cend(), [](const auto &mark) {
        return mark.kind == VoiceCatalog::SpokenMark::Kind::Word;
    });
    const QString spoken = m_dictionary ? m_dictionary(text) : text;
    QString problem;
    book.AddChapter(chapter, TimeChapterSentences(chapter, spoken, *times, times->soundMs), times->soundMs, &problem,
                    words ? EpubBook::Marking::SentencesAndWords : EpubBook::Marking::Sentences);
    return problem;
}

QString BookExporter::Refusal(const BookRequest &request, const QList<BookChapter> &chapters, QString *encoder) const
{
    const int language = request.audio.language;
    if (!IsUsableSoundFileName(SoundFileNameOf(request.audio.name)))
        return BookTexts::Of(Text::BadName, language);
    if (chapters.isEmpty())
        return BookTexts::Of(Text::Empty, language);
    if (const QString tooLong = UpctvTextTooLong(request.audio.voice, request.audio.text.size(), language);
        !tooLong.isEmpty())
        return tooLong;
    // Looked for before anything is recorded: a missing one is said at once.
    const QString program = request.format == BookFormat::Epub ? QStringLiteral("lame") : QStringLiteral("ffmpeg");
    *encoder = FindEncoder(program, m_paths.programDir, m_searchPath);
    if (encoder->isEmpty())
        return BookTexts::Of(Text::ProgramMissing, language).arg(program, program);
    return QString();
}

QString BookExporter::RecordChapters(const BookRequest &request, const QList<BookChapter> &chapters,
                                     const QString &encoder, EpubBook &book, const QString &partsFolder,
                                     QList<Audiobook::Chapter> &recorded, ExportResult &result)
{
    const int language = request.audio.language;
    const bool epub = request.format == BookFormat::Epub;
    const int count = int(chapters.size());
    for (int i = 0; i < count; ++i) {
        // A few recordings at most wait for an encoder, on disk.
        if (!m_encoders->WaitForRoom(m_encoders->AtOnce()))
            return m_encoders->Problem();
        BookChapter chapter = chapters.at(i);
        const QString text = ChapterText(chapter);
        // The chapter's languages are told once: for its paragraphs and for its voices.
        QList<ExportRun> runs;
        if (request.languages.languagesOf) {
            const QList<LanguageRun> languages = request.languages.languagesOf(text);
            SetParagraphLanguages(chapter, languages);
            if (request.languages.runsOf)
                runs = request.languages.runsOf(languages);
        }
        const ExportResult chapterResult = RecordChapter(request, text, runs, i + 1, count);
        if (chapterResult.notice.size() && result.notice.isEmpty())
            result.notice = chapterResult.notice;
        const QString numbered = partsFolder + QStringLiteral("/chapter-%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        const QString wav = numbered + QStringLiteral(".wav");
        const bool moved = chapterResult.ok && QFile::rename(chapterResult.file, wav);
        QFile::remove(chapterResult.file);
        if (Stopping() || chapterResult.stopped)
            return QString();
        if (!chapterResult.ok)
            return BookTexts::Of(Text::ChapterFailed, language).arg(i + 1).arg(chapterResult.reason);
        const std::optional<RecordingLength::WavSound> sound = RecordingLength::WavSoundOf(wav);
        if (!moved || !sound)
            return QStringLiteral("%1: %2").arg(wav, QString::fromLocal8Bit(std::strerror(errno)));
        BookEncoders::Job job{encoder, {}, wav, {}, sound->ms};
        if (epub) {
            if (const QString problem = AddToBook(book, chapter, text, chapterResult, language); !problem.isEmpty())
                return problem;
            job.output = book.AudioPath(i + 1);
            // lame's own settings, as the MP3 export uses them.
            job.arguments = QStringList{wav, job.output};
        } else {
            job.output = numbered + QStringLiteral(".m4a");
            job.arguments = Audiobook::ChapterArguments(wav, job.output);
            recorded.append({chapter.title, job.output, Audiobook::EncodedChapterMs(sound->frames, sound->sampleRate)});
        }
        m_encoders->Add(job);
    }
    emit statusText(BookTexts::Of(Text::Packing, language));
    if (!m_encoders->WaitForAll())
        return m_encoders->Problem();
    return QString();
}

ExportResult BookExporter::Run(const BookRequest &request)
{
    ExportResult result;
    const int language = request.audio.language;
    const QString noBook = BookTexts::Of(Text::NoBook, language);
    const QString name = SoundFileNameOf(request.audio.name);
    const QList<BookChapter> chapters = ChaptersOf(request.audio.text, request.fallbackTitle);
    QString encoder;
    if (const QString refused = Refusal(request, chapters, &encoder); !refused.isEmpty())
        return FailedExport(result, refused + QLatin1Char(' ') + noBook);

    // The parts wait in a hidden folder beside the book, on the same disk, and go with it.
    QDir().mkpath(m_paths.recordsDir);
    QTemporaryDir parts(m_paths.recordsDir + QStringLiteral(".Sonnerix-book-XXXXXX"));
    if (!parts.isValid())
        return FailedExport(result, QStringLiteral("%1: %2 ").arg(m_paths.recordsDir, parts.errorString()) + noBook);
    const bool epub = request.format == BookFormat::Epub;
    const QString title = BookTitleOf(chapters, request.fallbackTitle);
    EpubBook book(parts.path(), title, LanguageTagOfVoice(request.audio.voice), request.audio.voiceName);
    QList<Audiobook::Chapter> recorded;
    // An encoder on every core: the renderer mostly waits for them.
    BookEncoders encoders(QThread::idealThreadCount(), language);
    m_encoders = &encoders;
    const QString problem = RecordChapters(request, chapters, encoder, book, parts.path(), recorded, result);
    m_encoders = nullptr;
    encoders.Abort();
    if (Stopping()) {
        result.stopped = !AppClosing();
        return FailedExport(result, BookTexts::Of(Text::Stopped, language) + QLatin1Char(' ') + noBook);
    }
    if (!problem.isEmpty())
        return FailedExport(result, problem + QLatin1Char(' ') + noBook);

    const QString outPath = m_paths.recordsDir + name + (epub ? QStringLiteral(".epub") : QStringLiteral(".m4b"));
    QString packProblem;
    const bool packed = epub ? book.Pack(outPath, &packProblem)
                             : PackAudiobook(recorded, title, request.audio.voiceName, encoder, parts.path(), outPath,
                                             language, &packProblem);
    if (Stopping()) {
        result.stopped = !AppClosing();
        return FailedExport(result, BookTexts::Of(Text::Stopped, language) + QLatin1Char(' ') + noBook);
    }
    if (!packed)
        return FailedExport(result, packProblem + QLatin1Char(' ') + noBook);
    emit progress(100);
    emit statusText(BookTexts::Of(Text::Saved, language).arg(outPath));
    result.ok = true;
    result.file = outPath;
    return result;
}

bool BookExporter::PackAudiobook(const QList<Audiobook::Chapter> &chapters, const QString &title,
                                 const QString &narrator, const QString &ffmpeg, const QString &partsFolder,
                                 const QString &outPath, int language, QString *problem)
{
    const QString list = partsFolder + QStringLiteral("/chapters.txt");
    const QString metadata = partsFolder + QStringLiteral("/metadata.txt");
    const QFileInfo target(outPath);
    const QString part = target.path() + QStringLiteral("/.") + target.fileName()
                         + QStringLiteral(".part-%1").arg(QCoreApplication::applicationPid());
    qint64 soundMs = 0;
    for (const Audiobook::Chapter &chapter : chapters)
        soundMs += chapter.soundMs;
    bool packed = WholeFiles::WriteFile(list, Audiobook::ConcatList(chapters), problem)
                  && WholeFiles::WriteFile(metadata, Audiobook::MetadataFile(title, narrator, chapters), problem)
                  && RunFfmpeg(QStringList{ffmpeg} + Audiobook::FfmpegArguments(list, metadata, part), soundMs,
                               language, problem);
    // The audiobook takes its name once whole: an older one stays until then.
    if (packed && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(outPath).constData()) != 0) {
        *problem = QStringLiteral("%1: %2").arg(outPath, QString::fromLocal8Bit(std::strerror(errno)));
        packed = false;
    }
    QFile::remove(part);
    return packed;
}

bool BookExporter::RunFfmpeg(const QStringList &arguments, qint64 soundMs, int language, QString *error)
{
    QProcess ffmpeg;
    ffmpeg.setProgram(arguments.constFirst());
    ffmpeg.setArguments(arguments.mid(1));
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start();
    if (!ffmpeg.waitForStarted(5000)) {
        *error = BookTexts::Of(Text::ProgramFailed, language).arg(QStringLiteral("ffmpeg"), ffmpeg.errorString());
        return false;
    }
    // Copying the encoded chapters takes a moment: this is only reached by one that hangs.
    const qint64 limitMs = 60000 + soundMs;
    QElapsedTimer clock;
    clock.start();
    QByteArray output;
    while (ffmpeg.state() != QProcess::NotRunning) {
        WaitEnd ended;
        ended.On(&ffmpeg, &QProcess::finished);
        ended.On(this, &BookExporter::stopRequested);
        if (ffmpeg.state() == QProcess::NotRunning)
            break;
        const WaitOutcome waited = WaitWithEvents(int(qBound(qint64(1), limitMs - clock.elapsed(), qint64(1000))), ended);
        output += ffmpeg.readAll();
        if (output.size() > 65536)
            output = output.right(4096);
        if (waited == WaitOutcome::Closing || Stopping() || clock.elapsed() >= limitMs) {
            ffmpeg.kill();
            ffmpeg.waitForFinished(2000);
            *error = BookTexts::Of(Text::ProgramHung, language).arg(QStringLiteral("ffmpeg"));
            return false;
        }
    }
    output += ffmpeg.readAll();
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(output).trimmed().section(QLatin1Char('\n'), -1);
        *error = BookTexts::Of(Text::ProgramFailed, language)
                     .arg(QStringLiteral("ffmpeg"), said.isEmpty() ? QString::number(ffmpeg.exitCode()) : said);
        return false;
    }
    return true;
}
