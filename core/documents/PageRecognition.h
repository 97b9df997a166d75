#pragma once

#include "core/documents/TextCleanup.h"

#include <QImage>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

// Reads the words of a scanned page or a picture with Tesseract: the page is turned
// upright (orientation detection), straightened (skew up to 10 degrees) and its words
// come back with their boxes in points, ready for the clean-up every page goes through.

// The most a picture may take once decoded, 32 bits a pixel: larger ones are refused
// before they are decoded.
inline constexpr qint64 kMostDecodedBytes = 256LL * 1024 * 1024;

// The resolution scanned PDF pages are rendered at.
inline constexpr double kScanDpi = 300.0;

// A page read by the recogniser.
struct RecognisedPage
{
    TextCleanup::Page page;
    int confidence = 0; // the recogniser's mean confidence in the page's words, 0..100
    bool recognised = false;
};

// Recognisers named by Tesseract's codes joined with '+' ("cat+spa"): the first
// installed language package missing ("tesseract-ocr-fra"), or an empty string.
QString MissingRecogniserPackage(const QString &languages);

// The recognisers for a voice's language ("ca", "es", "en-gb") and an interface language
// (an index of the language list), Catalan and Spanish always among them: "cat+spa+fra".
QString RecognisersFor(const QString &voiceLanguage, int interfaceLanguage);

// The languages used when nobody says which.
QString DefaultRecognisers();

// One recogniser per thread: Tesseract keeps state per instance, so a worker owns its own.
class PageRecogniser
{
public:
    explicit PageRecogniser(const QString &languages);
    ~PageRecogniser();
    PageRecogniser(const PageRecogniser &) = delete;
    PageRecogniser &operator=(const PageRecogniser &) = delete;

    // False when a language could not be loaded; Error() says which package to install.
    bool IsReady() const;
    QString Error() const;

    // The words of an image scanned at `dpi` (any value outside 70..2400 means unknown);
    // `cancelled` is asked while it works, so that a long page stops early.
    RecognisedPage Recognise(const QImage &image, double dpi, const std::function<bool()> &cancelled = {});

private:
    struct Engines;
    std::unique_ptr<Engines> m_engines;
    QString m_error;
};

// Pages recognised side by side, one worker per core, each with its own recogniser.
// Pages are handed in one at a time (Add waits while enough are waiting already, so
// that a long document does not sit in memory as images) and come back in page order.
class RecognitionPool
{
public:
    RecognitionPool(const QString &languages, std::function<bool()> cancelled);
    ~RecognitionPool();
    RecognitionPool(const RecognitionPool &) = delete;
    RecognitionPool &operator=(const RecognitionPool &) = delete;

    // Queues page `index` for recognition.
    void Add(int index, QImage image, double dpi);
    // Waits for every page added; false when a recogniser could not start (see Error())
    // or the work was cancelled.
    bool Finish();
    QString Error() const;
    RecognisedPage Result(int index) const;
    // Called on a worker as each page is read, with its index, once Result has it; set
    // before Add or Finish first.
    void SetPageDone(std::function<void(int index)> done);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// The pages of a document gathered as they come, in any order, telling each time the
// pages from the first grow the text they settle (TextCleanup::SettledText). The first
// pages are told at once; later ones wait while the last telling is recent, so that a
// long document read fast (from its text layer) spends little on tellings nobody sees.
class PagesInOrder
{
public:
    PagesInOrder(int count, std::function<void(const QString &text, int pages)> settled);
    // Page `index` (from 0) is read; may be called from any thread.
    void Add(int index, const TextCleanup::Page &page);

private:
    std::mutex m_mutex;
    std::function<void(const QString &, int)> m_settled;
    QList<TextCleanup::Page> m_pages;
    QList<bool> m_have;
    qsizetype m_first = 0; // pages [0, m_first) are in
    QString m_told;
    std::chrono::steady_clock::time_point m_toldAt;
    std::chrono::steady_clock::duration m_toldIn{}; // how long the last telling took
};
