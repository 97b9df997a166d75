#include "core/documents/DocumentReaders.h"
#include "core/documents/TextCleanup.h"

#include <poppler-qt6.h>

namespace {

// Poppler tells of every damaged part it repairs; the reason for a refusal is given once, by us.
void Quiet(const QString &, const QVariant &) {}

} // namespace

ReaderOutcome ReadPdfText(const QString &fileName, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("PDF");
    Poppler::setDebugErrorFunction(Quiet, QVariant());
    const std::unique_ptr<Poppler::Document> document
        = Poppler::Document::load(fileName, control.password, control.password);
    if (!document) {
        outcome.error = QStringLiteral("it is not a readable PDF document (damaged or incomplete)");
        return outcome;
    }
    if (document->isLocked()) {
        const bool tried = !control.password.isEmpty();
        outcome.problem = tried ? DocumentProblem::WrongPassword : DocumentProblem::Password;
        outcome.error = tried ? QStringLiteral("the password does not open the PDF document")
                              : QStringLiteral("the PDF document is protected by a password");
        return outcome;
    }
    const int count = document->numPages();
    if (count <= 0) {
        outcome.error = QStringLiteral("the PDF document has no pages (damaged or incomplete)");
        return outcome;
    }
    QList<TextCleanup::Page> pages;
    pages.reserve(count);
    for (int index = 0; index < count; ++index) {
        if (control.cancelled && control.cancelled()) {
            outcome.cancelled = true;
            return outcome;
        }
        const std::unique_ptr<Poppler::Page> page = document->page(index);
        TextCleanup::Page laid;
        if (page) {
            laid.size = page->pageSizeF();
            for (const std::unique_ptr<Poppler::TextBox> &box : page->textList())
                laid.words.append({box->text(), box->boundingBox()});
        }
        pages.append(std::move(laid));
        if (control.progress)
            control.progress(index + 1, count);
    }
    outcome.text = TextCleanup::PagesToText(pages);
    outcome.pages = count;
    outcome.ok = true;
    return outcome;
}
