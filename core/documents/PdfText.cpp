#include "core/documents/DocumentReaders.h"
#include "core/documents/PageRecognition.h"
#include "core/documents/TextCleanup.h"

#include <poppler-qt6.h>

#include <atomic>
#include <cmath>

namespace {

// Poppler tells of every damaged part it repairs; the reason for a refusal is given once, by us.
void Quiet(const QString &, const QVariant &) {}

// A page whose text layer says next to nothing, or mostly characters no font maps to
// letters (a scanner's hidden layer gone wrong), is read from its picture instead.
bool NeedsRecognition(const TextCleanup::Page &page)
{
    int letters = 0, odd = 0, all = 0;
    for (const TextCleanup::Word &word : page.words)
        for (const QChar c : word.text) {
            ++all;
            if (c.isLetter() && c.category() != QChar::Other_PrivateUse)
                ++letters;
            else if (c.category() == QChar::Other_PrivateUse || c == QChar::ReplacementCharacter
                     || c.category() == QChar::Other_Control || c.category() == QChar::Other_NotAssigned)
                ++odd;
        }
    return letters < 10 || odd * 10 > all * 3;
}

// A page so large that its rendering at scanning resolution would pass the memory a
// picture may take: its size in inches, for the refusal.
bool TooLargeToRender(const QSizeF &points)
{
    const double width = points.width() / 72.0 * kScanDpi, height = points.height() / 72.0 * kScanDpi;
    return !(width > 0 && height > 0) || width * height * 4 > double(kMostDecodedBytes);
}

TextCleanup::Page LaidOut(Poppler::Page *page)
{
    TextCleanup::Page laid;
    if (page) {
        laid.size = page->pageSizeF();
        for (const std::unique_ptr<Poppler::TextBox> &box : page->textList())
            laid.words.append({box->text(), box->boundingBox()});
    }
    return laid;
}

// The document, open and unlocked, with pages; none, with outcome saying why, otherwise.
std::unique_ptr<Poppler::Document> OpenPdf(const QString &fileName, const ConversionControl &control,
                                           ReaderOutcome &outcome)
{
    Poppler::setDebugErrorFunction(Quiet, QVariant());
    std::unique_ptr<Poppler::Document> document
        = Poppler::Document::load(fileName, control.password, control.password);
    if (!document) {
        outcome.error = QStringLiteral("it is not a readable PDF document (damaged or incomplete)");
        return nullptr;
    }
    if (document->isLocked()) {
        const bool tried = !control.password.isEmpty();
        outcome.problem = tried ? DocumentProblem::WrongPassword : DocumentProblem::Password;
        outcome.error = tried ? QStringLiteral("the password does not open the PDF document")
                              : QStringLiteral("the PDF document is protected by a password");
        return nullptr;
    }
    if (document->numPages() <= 0) {
        outcome.error = QStringLiteral("the PDF document has no pages (damaged or incomplete)");
        return nullptr;
    }
    return document;
}

} // namespace

ReaderOutcome ReadPdfText(const QString &fileName, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("PDF");
    const std::unique_ptr<Poppler::Document> document = OpenPdf(fileName, control, outcome);
    if (!document)
        return outcome;
    const int count = document->numPages();
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    // Scanned pages go to recognisers on the other cores while this thread goes on
    // with the pages that follow, so a mixed document still comes out in page order.
    std::atomic<int> done{0};
    auto pageDone = [&done, &control, count] {
        if (control.progress)
            control.progress(++done, count);
    };
    // Declared first, so that the recognisers, which hand it their pages, end before it.
    PagesInOrder inOrder(count, control.settled);
    RecognitionPool pool(control.recognisers.isEmpty() ? DefaultRecognisers() : control.recognisers, control.cancelled);
    pool.SetPageDone([&](int index) {
        inOrder.Add(index, pool.Result(index).page);
        pageDone();
    });
    QList<TextCleanup::Page> pages;
    QList<bool> scanned;
    pages.reserve(count);
    for (int index = 0; index < count; ++index) {
        if (control.cancelled && control.cancelled()) {
            outcome.cancelled = true;
            return outcome;
        }
        const std::unique_ptr<Poppler::Page> page = document->page(index);
        TextCleanup::Page laid = LaidOut(page.get());
        const bool recognise = page && NeedsRecognition(laid);
        if (recognise) {
            if (TooLargeToRender(laid.size)) {
                outcome.error = QStringLiteral("page %1 measures %2 × %3 inches, too large to be recognised")
                                    .arg(index + 1)
                                    .arg(std::lround(laid.size.width() / 72.0))
                                    .arg(std::lround(laid.size.height() / 72.0));
                return outcome;
            }
            // The progress window tells which page is being read before the first one ends.
            if (control.progress)
                control.progress(done, count);
            pool.Add(index, page->renderToImage(kScanDpi, kScanDpi), kScanDpi);
        } else {
            inOrder.Add(index, laid);
            pageDone();
        }
        pages.append(std::move(laid));
        scanned.append(recognise);
    }
    if (!pool.Finish()) {
        outcome.cancelled = control.cancelled && control.cancelled();
        outcome.error = pool.Error();
        return outcome;
    }
    for (int index = 0; index < count; ++index) {
        if (!scanned[index]) {
            outcome.confidence.append(-1);
            continue;
        }
        const RecognisedPage read = pool.Result(index);
        pages[index] = read.page;
        outcome.confidence.append(read.confidence);
    }
    outcome.text = TextCleanup::PagesToText(pages);
    outcome.pages = count;
    outcome.ok = true;
    return outcome;
}
