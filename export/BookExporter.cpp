#include "export/BookExporter.h"

#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportPrograms.h"
#include "export/Audiobook.h"
#include "export/BookChapters.h"
#include "export/BookTexts.h"
#include "export/EpubBook.h"
#include "export/RecordingLength.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

using BookTexts::Text;

namespace {

ExportResult Failed(ExportResult result, const QString &reason)
{
    result.ok = false;
    result.file.clear();
    result.reason = reason;
    return result;
}

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
    : QObject(parent), m_paths(paths), m_recorder(paths, desktop, launcher), m_searchPath(ExecutableSearchPath())
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
    emit stopRequested();
}

bool BookExporter::Stopping() const
{
    return m_stopping || AppClosing();
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
        refused.reason = QStringLiteral("Ja s'està desant un fitxer de so.");
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

ExportResult BookExporter::RecordChapter(const BookRequest &request, const QString &text, int number, int count)
{
    m_chapterNumber = number;
    m_chapterCount = count;
    emit statusText(BookTexts::Of(Text::Chapter, request.audio.language).arg(number).arg(count));
    emit progress(qMax(1, 100 * (number - 1) / (count + 1)));
    ExportRequest job = request.audio;
    job.text = text;
    job.name = ChapterRecordingName();
    job.format = request.format == BookFormat::Epub ? ExportFormat::Mp3 : ExportFormat::Wav;
    job.subtitles = {};
    job.keepWordTimes = true;
    ExportResult result = m_recorder.Export(job);
    // An MP3 encoder that failed leaves the sound as a WAV of that name.
    if (!result.ok)
        QFile::remove(m_paths.recordsDir + job.name + QStringLiteral(".wav"));
    return result;
}

QString BookExporter::AddToBook(EpubBook &book, const BookChapter &chapter, const QString &text,
                                const ExportResult &recorded, int number) const
{
    const std::optional<WordTimes> &times = recorded.wordTimes;
    const bool moved = QFile::rename(recorded.file, book.AudioPath(number));
    QFile::remove(recorded.file);
    if (!moved)
        return QStringLiteral("%1: %2").arg(book.AudioPath(number), QString::fromLocal8Bit(std::strerror(errno)));
    if (!times)
        return QStringLiteral("El programa de síntesi no ha donat el temps de les paraules.");
    const bool words = std::any_of(times->marks.cbegin(), times->marks.cend(), [](const auto &mark) {
        return mark.kind == VoiceCatalog::SpokenMark::Kind::Word;
    });
    const QString spoken = m_dictionary ? m_dictionary(text) : text;
    QString problem;
    book.AddChapter(chapter, TimeChapterSentences(chapter, spoken, *times, times->soundMs), times->soundMs, &problem,
                    words ? EpubBook::Marking::SentencesAndWords : EpubBook::Marking::Sentences);
    return problem;
}

ExportResult BookExporter::Run(const BookRequest &request)
{
    ExportResult result;
    const int language = request.audio.language;
    const QString noBook = BookTexts::Of(Text::NoBook, language);
    const QString name = SoundFileNameOf(request.audio.name);
    if (!IsUsableSoundFileName(name))
        return Failed(result, QStringLiteral("El nom del fitxer no és vàlid: no pot ser buit ni contenir "
                                             "«/», «..» o caràcters de control. ") + noBook);
    const QList<BookChapter> chapters = ChaptersOf(request.audio.text, request.fallbackTitle);
    if (chapters.isEmpty())
        return Failed(result, BookTexts::Of(Text::Empty, language) + QLatin1Char(' ') + noBook);
    if (const QString tooLong = UpctvTextTooLong(request.audio.voice, request.audio.text.size(), language);
        !tooLong.isEmpty())
        return Failed(result, tooLong);
    const bool epub = request.format == BookFormat::Epub;
    const QString ffmpeg = epub ? QString() : FindEncoder(QStringLiteral("ffmpeg"), m_paths.programDir, m_searchPath);
    if (!epub && ffmpeg.isEmpty())
        return Failed(result, BookTexts::Of(Text::ProgramMissing, language).arg(QStringLiteral("ffmpeg"),
                                                                                 QStringLiteral("ffmpeg"))
                                  + QLatin1Char(' ') + noBook);

    // The parts wait in a hidden folder beside the book, on the same disk, and go with it.
    QDir().mkpath(m_paths.recordsDir);
    QTemporaryDir parts(m_paths.recordsDir + QStringLiteral(".Sonnerix-book-XXXXXX"));
    if (!parts.isValid())
        return Failed(result, QStringLiteral("%1: %2 ").arg(m_paths.recordsDir, parts.errorString()) + noBook);
    const QString title = BookTitleOf(chapters, request.fallbackTitle);
    EpubBook book(parts.path(), title, LanguageTagOfVoice(request.audio.voice), request.audio.voiceName);
    QList<Audiobook::Chapter> recorded;
    const int count = int(chapters.size());
    for (int i = 0; i < count; ++i) {
        const BookChapter &chapter = chapters.at(i);
        const QString text = ChapterText(chapter);
        const ExportResult chapterResult = RecordChapter(request, text, i + 1, count);
        if (chapterResult.notice.size() && result.notice.isEmpty())
            result.notice = chapterResult.notice;
        if (Stopping() || chapterResult.stopped) {
            QFile::remove(chapterResult.file);
            result.stopped = !AppClosing();
            return Failed(result, BookTexts::Of(Text::Stopped, language) + QLatin1Char(' ') + noBook);
        }
        if (!chapterResult.ok)
            return Failed(result, chapterResult.reason + QLatin1Char(' ') + noBook);
        if (epub) {
            const QString problem = AddToBook(book, chapter, text, chapterResult, i + 1);
            if (!problem.isEmpty())
                return Failed(result, problem + QLatin1Char(' ') + noBook);
        } else {
            const QString wav = parts.filePath(QStringLiteral("chapter-%1.wav").arg(i + 1, 3, 10, QLatin1Char('0')));
            const std::optional<qint64> soundMs = RecordingLength::WavSoundMs(chapterResult.file);
            if (!QFile::rename(chapterResult.file, wav) || !soundMs) {
                QFile::remove(chapterResult.file);
                return Failed(result, QStringLiteral("%1: %2").arg(wav, noBook));
            }
            recorded.append({chapter.title, wav, *soundMs});
        }
    }

    emit statusText(BookTexts::Of(Text::Packing, language));
    const QString outPath = m_paths.recordsDir + name + (epub ? QStringLiteral(".epub") : QStringLiteral(".m4b"));
    QString problem;
    const bool packed = epub ? book.Pack(outPath, &problem)
                             : PackAudiobook(recorded, title, request.audio.voiceName, ffmpeg, parts.path(), outPath,
                                             &problem);
    if (Stopping()) {
        result.stopped = !AppClosing();
        return Failed(result, BookTexts::Of(Text::Stopped, language) + QLatin1Char(' ') + noBook);
    }
    if (!packed)
        return Failed(result, problem + QLatin1Char(' ') + noBook);
    emit progress(100);
    emit statusText(BookTexts::Of(Text::Saved, language).arg(outPath));
    result.ok = true;
    result.file = outPath;
    return result;
}

bool BookExporter::PackAudiobook(const QList<Audiobook::Chapter> &chapters, const QString &title,
                                 const QString &narrator, const QString &ffmpeg, const QString &partsFolder,
                                 const QString &outPath, QString *problem)
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
                  && RunFfmpeg(QStringList{ffmpeg} + Audiobook::FfmpegArguments(list, metadata, part), soundMs, problem);
    // The audiobook takes its name once whole: an older one stays until then.
    if (packed && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(outPath).constData()) != 0) {
        *problem = QStringLiteral("%1: %2").arg(outPath, QString::fromLocal8Bit(std::strerror(errno)));
        packed = false;
    }
    QFile::remove(part);
    return packed;
}

bool BookExporter::RunFfmpeg(const QStringList &arguments, qint64 soundMs, QString *error)
{
    QProcess ffmpeg;
    ffmpeg.setProgram(arguments.constFirst());
    ffmpeg.setArguments(arguments.mid(1));
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start();
    if (!ffmpeg.waitForStarted(5000)) {
        *error = QStringLiteral("ffmpeg: %1.").arg(ffmpeg.errorString());
        return false;
    }
    // AAC encodes many times faster than the sound plays: this is only reached by one that hangs.
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
            *error = QStringLiteral("ffmpeg no ha acabat.");
            return false;
        }
    }
    output += ffmpeg.readAll();
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(output).trimmed().section(QLatin1Char('\n'), -1);
        *error = QStringLiteral("ffmpeg ha fallat (%1).").arg(said.isEmpty() ? QString::number(ffmpeg.exitCode()) : said);
        return false;
    }
    return true;
}
