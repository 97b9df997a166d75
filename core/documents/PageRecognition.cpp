#include "core/documents/PageRecognition.h"

#include "core/documents/LeptonicaPix.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QPainter>
#include <QThread>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Where Tesseract looks for its languages: its own variable first, as it does.
QString LanguageFolder()
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return QString::fromLocal8Bit(prefix);
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

// The page as Leptonica holds it: 8-bit grey, a transparent background made white.
PixPtr GreyPix(const QImage &image, double dpi)
{
    QImage grey;
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        grey = flat.convertToFormat(QImage::Format_Grayscale8);
    } else {
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    }
    PixPtr pix(pixCreate(grey.width(), grey.height(), 8));
    if (!pix)
        return pix;
    l_uint32 *data = pixGetData(pix.get());
    const int wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *source = grey.constScanLine(y);
        l_uint32 *line = data + qsizetype(y) * wordsPerLine;
        for (int x = 0; x < grey.width(); ++x)
            SET_DATA_BYTE(line, x, source[x]);
    }
    pixSetResolution(pix.get(), int(dpi), int(dpi));
    return pix;
}

bool Cancelled(void *flag, int)
{
    const auto *cancelled = static_cast<const std::function<bool()> *>(flag);
    return *cancelled && (*cancelled)();
}

} // namespace

QString MissingRecogniserPackage(const QString &languages)
{
    const QDir folder(LanguageFolder());
    for (const QString &code : languages.split(QLatin1Char('+'), Qt::SkipEmptyParts))
        if (!QFileInfo::exists(folder.filePath(code + QStringLiteral(".traineddata"))))
            return QStringLiteral("tesseract-ocr-%1").arg(code);
    return QString();
}

QString RecognisersFor(const QString &voiceLanguage, int interfaceLanguage)
{
    // The interface languages in list order, and the voices' names of the same languages.
    static const char *const kByInterface[] = {"cat", "spa", "eus", "glg", "por", "eng", "fra"};
    static const QMap<QString, QString> kByVoice = {{"ca", "cat"}, {"es", "spa"}, {"eu", "eus"}, {"gl", "glg"},
                                                    {"pt", "por"}, {"en", "eng"}, {"fr", "fra"}};
    QStringList codes = {QStringLiteral("cat"), QStringLiteral("spa")};
    const QString voice = kByVoice.value(voiceLanguage.section(QLatin1Char('-'), 0, 0).toLower());
    // The voice's language leads: Tesseract prefers its first language where they differ.
    if (!voice.isEmpty()) {
        codes.removeAll(voice);
        codes.prepend(voice);
    }
    if (interfaceLanguage >= 0 && interfaceLanguage < int(std::size(kByInterface))) {
        const QString shown = QString::fromLatin1(kByInterface[interfaceLanguage]);
        if (!codes.contains(shown))
            codes.append(shown);
    }
    return codes.join(QLatin1Char('+'));
}

QString DefaultRecognisers()
{
    return QStringLiteral("cat+spa");
}

struct PageRecogniser::Engines
{
    tesseract::TessBaseAPI text;
    tesseract::TessBaseAPI orientation;
    bool canOrient = false;
};

PageRecogniser::PageRecogniser(const QString &languages)
{
    m_error = MissingRecogniserPackage(languages);
    if (!m_error.isEmpty()) {
        m_error = QStringLiteral("the recogniser's language package %1 is not installed").arg(m_error);
        return;
    }
    auto engines = std::make_unique<Engines>();
    if (engines->text.Init(nullptr, languages.toUtf8().constData(), tesseract::OEM_LSTM_ONLY) != 0) {
        m_error = QStringLiteral("the recogniser could not load the languages %1").arg(languages);
        return;
    }
    engines->text.SetPageSegMode(tesseract::PSM_AUTO);
    // Its remarks on each page ("too few characters") are for its own developers.
    engines->text.SetVariable("debug_file", "/dev/null");
    // Orientation is told by the legacy engine's "osd" model; without it pages stay as given.
    if (MissingRecogniserPackage(QStringLiteral("osd")).isEmpty()
        && engines->orientation.Init(nullptr, "osd", tesseract::OEM_TESSERACT_ONLY) == 0) {
        engines->orientation.SetPageSegMode(tesseract::PSM_OSD_ONLY);
        engines->orientation.SetVariable("debug_file", "/dev/null");
        engines->canOrient = true;
    }
    m_engines = std::move(engines);
}

PageRecogniser::~PageRecogniser() = default;

bool PageRecogniser::IsReady() const
{
    return m_engines != nullptr;
}

QString PageRecogniser::Error() const
{
    return m_error;
}

RecognisedPage PageRecogniser::Recognise(const QImage &image, double dpi, const std::function<bool()> &cancelled)
{
    RecognisedPage result;
    if (!m_engines || image.isNull())
        return result;
    const bool knownDpi = dpi >= 70 && dpi <= 2400;
    const double scale = 72.0 / (knownDpi ? dpi : kScanDpi);
    PixPtr pix = GreyPix(image, knownDpi ? dpi : kScanDpi);
    if (!pix)
        return result;

    // A page on its side or upside down is turned upright first (Tesseract gives the
    // turn it sees; the page needs the opposite one, clockwise).
    if (m_engines->canOrient) {
        m_engines->orientation.SetImage(pix.get());
        int degrees = 0;
        float confidence = 0;
        const char *script = nullptr;
        float scriptConfidence = 0;
        if (m_engines->orientation.DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence)
            && degrees != 0 && confidence > 2.0f) {
            const int quarters = ((360 - degrees) % 360) / 90;
            if (PixPtr turned{pixRotateOrth(pix.get(), quarters)})
                pix = std::move(turned);
        }
        m_engines->orientation.Clear();
    }
    // Then a skewed scan is straightened, so that its lines run level.
    l_float32 angle = 0, skewConfidence = 0;
    if (PixPtr straight{pixDeskewGeneral(pix.get(), 0, 10.0f, 0.0f, 0, 0, &angle, &skewConfidence)})
        pix = std::move(straight);

    tesseract::TessBaseAPI &api = m_engines->text;
    api.SetImage(pix.get());
    if (knownDpi)
        api.SetSourceResolution(int(dpi));
    tesseract::ETEXT_DESC monitor;
    std::function<bool()> cancel = cancelled;
    monitor.cancel = Cancelled;
    monitor.cancel_this = &cancel;
    if (api.Recognize(&monitor) != 0) {
        api.Clear();
        return result;
    }
    result.page.size = QSizeF(pixGetWidth(pix.get()) * scale, pixGetHeight(pix.get()) * scale);
    std::unique_ptr<tesseract::ResultIterator> words(api.GetIterator());
    if (words && !words->Empty(tesseract::RIL_WORD)) {
        do {
            const std::unique_ptr<char[]> text(words->GetUTF8Text(tesseract::RIL_WORD));
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!text || !words->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
                continue;
            const QString word = QString::fromUtf8(text.get()).trimmed();
            if (!word.isEmpty())
                result.page.words.append({word, QRectF(left * scale, top * scale, (right - left) * scale,
                                                       (bottom - top) * scale), true});
        } while (words->Next(tesseract::RIL_WORD));
    }
    result.confidence = result.page.words.isEmpty() ? 0 : api.MeanTextConf();
    result.recognised = true;
    api.Clear();
    return result;
}

// What the feeding thread and the workers share; workers keep it alive until they end.
struct RecognitionPool::State
{
    QString languages;
    std::function<bool()> cancelled;
    std::function<void(int)> pageDone;
    std::mutex mutex;
    std::condition_variable changed;
    struct Job
    {
        int index;
        QImage image;
        double dpi;
    };
    std::deque<Job> waiting;
    QMap<int, RecognisedPage> results;
    int busy = 0;
    int workers = 0;
    bool closing = false;
    QString error;
    std::vector<std::thread> threads;

    bool Stopped()
    {
        return !error.isEmpty() || (cancelled && cancelled());
    }

    void Work()
    {
        PageRecogniser recogniser(languages);
        std::unique_lock lock(mutex);
        if (!recogniser.IsReady() && error.isEmpty())
            error = recogniser.Error();
        while (true) {
            changed.wait(lock, [this] { return closing || !waiting.empty() || !error.isEmpty(); });
            if (waiting.empty() || !error.isEmpty())
                break;
            Job job = std::move(waiting.front());
            waiting.pop_front();
            ++busy;
            changed.notify_all();
            lock.unlock();
            RecognisedPage page;
            if (!(cancelled && cancelled()))
                page = recogniser.Recognise(job.image, job.dpi, cancelled);
            job.image = QImage();
            lock.lock();
            results.insert(job.index, std::move(page));
            lock.unlock();
            if (pageDone)
                pageDone(job.index);
            lock.lock();
            --busy;
            changed.notify_all();
        }
        changed.notify_all();
    }
};

RecognitionPool::RecognitionPool(const QString &languages, std::function<bool()> cancelled)
    : m_state(std::make_shared<State>())
{
    m_state->languages = languages;
    m_state->cancelled = std::move(cancelled);
    m_state->workers = std::max(1, QThread::idealThreadCount());
}

RecognitionPool::~RecognitionPool()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closing = true;
        m_state->waiting.clear();
        if (m_state->error.isEmpty())
            m_state->error = QStringLiteral("stopped");
    }
    m_state->changed.notify_all();
    for (std::thread &thread : m_state->threads)
        thread.join();
}

void RecognitionPool::SetPageDone(std::function<void(int)> done)
{
    m_state->pageDone = std::move(done);
}

void RecognitionPool::Add(int index, QImage image, double dpi)
{
    State &state = *m_state;
    std::unique_lock lock(state.mutex);
    // Workers start with the first pages, so that a one-page picture takes one recogniser.
    if (int(state.threads.size()) < state.workers && int(state.threads.size()) <= int(state.waiting.size()) + state.busy)
        state.threads.emplace_back([shared = m_state] { shared->Work(); });
    // Enough pages wait already: this one is made when a worker is free.
    state.changed.wait(lock, [&state] {
        return int(state.waiting.size()) < state.workers || state.Stopped();
    });
    if (state.Stopped())
        return;
    state.waiting.push_back({index, std::move(image), dpi});
    state.changed.notify_all();
}

bool RecognitionPool::Finish()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closing = true;
    }
    m_state->changed.notify_all();
    for (std::thread &thread : m_state->threads)
        thread.join();
    m_state->threads.clear();
    return !m_state->Stopped();
}

QString RecognitionPool::Error() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->error;
}

RecognisedPage RecognitionPool::Result(int index) const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->results.value(index);
}

PagesInOrder::PagesInOrder(int count, std::function<void(const QString &, int)> settled)
    : m_settled(std::move(settled))
    , m_pages(std::max(0, count))
    , m_have(std::max(0, count), false)
{
}

void PagesInOrder::Add(int index, const TextCleanup::Page &page)
{
    if (!m_settled || index < 0 || index >= m_pages.size())
        return;
    std::lock_guard lock(m_mutex);
    m_pages[index] = page;
    m_have[index] = true;
    const qsizetype before = m_first;
    while (m_first < m_pages.size() && m_have[m_first])
        ++m_first;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    const Clock::duration rest = std::max<Clock::duration>(4 * m_toldIn, std::chrono::milliseconds(250));
    if (m_first == before || (!m_told.isEmpty() && now - m_toldAt < rest))
        return;
    const QString text = TextCleanup::SettledText(m_pages.mid(0, m_first), m_pages.size());
    m_toldAt = Clock::now();
    m_toldIn = m_toldAt - now;
    if (text == m_told)
        return;
    m_told = text;
    m_settled(text, int(m_first));
}
