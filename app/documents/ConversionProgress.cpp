#include "app/documents/ConversionProgress.h"

#include "app/documents/RecognitionTexts.h"
#include "core/WaitWithEvents.h"
#include "core/documents/DocumentConversion.h"
#include "engines/SynthesizerMissingText.h"
#include "platform/WorkerThread.h"
#include "windows/InterfaceLanguages.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

namespace {

// What the converting thread and the window share; the job keeps it alive.
struct Shared
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::mutex mutex;
    QString settled;      // the first pages' text as it stays; guarded by mutex
    int settledPages = 0; // how many pages it covers; guarded by mutex
};

using Row = const char *const[kSynthesizerMissingLanguages];

int LanguageOf(const QWidget *parent)
{
    const QWidget *window = parent ? parent->window() : nullptr;
    return window ? window->property(kInterfaceLanguageProperty).toInt() : 0;
}

DocumentConversionResult ResultOf(const QString &fileName, const ConvertedDocument &converted, bool cancelled,
                                  int language)
{
    DocumentConversionResult result;
    result.ok = converted.ok;
    result.cancelled = converted.cancelled || cancelled;
    result.text = converted.text;
    result.origin = OriginText(fileName, converted, language);
    if (!converted.ok)
        result.error = ConversionErrorText(fileName, converted.problem, converted.detail, language);
    result.needsPassword = converted.problem == DocumentProblem::Password
        || converted.problem == DocumentProblem::WrongPassword;
    result.wrongPassword = converted.problem == DocumentProblem::WrongPassword;
    result.status = RecognitionStatusText(language, converted);
    result.suggestedName = SuggestedTextName(fileName);
    return result;
}

// A conversion on its thread, followed by the window: first while it waits for it, and
// past the first pages, once the document opened with them, by the document.
class Conversion : public QObject, public PagesStillComing, public std::enable_shared_from_this<Conversion>
{
public:
    Conversion(const QString &fileName, int language)
        : m_shared(std::make_shared<Shared>())
        , m_fileName(fileName)
        , m_language(language)
    {
        QObject::connect(&m_ticks, &QTimer::timeout, this, [this] { Tick(); });
    }
    ~Conversion() override { m_shared->cancel = true; }

    const std::shared_ptr<Shared> &State() const { return m_shared; }
    WaitEnd &End() { return m_end; }
    // Until the document follows, the wait ends also once the first pages settle some text.
    void EndOnFirstText()
    {
        m_endOnText = true;
        m_ticks.start(100);
    }
    void Delivered(ConvertedDocument converted)
    {
        m_converted = std::move(converted);
        m_end.Done();
        if (m_done)
            Tick();
    }
    const std::optional<ConvertedDocument> &Converted() const { return m_converted; }
    // The text the first pages settle, with how many they are.
    std::pair<QString, int> Settled() const
    {
        std::lock_guard lock(m_shared->mutex);
        return {m_shared->settled, m_shared->settledPages};
    }
    void Shown(int pages) { m_pagesShown = pages; }

    void Follow(std::function<void(const QString &, int)> grown, std::function<void(const QString &)> said,
                std::function<void(const DocumentConversionResult &)> done) override
    {
        m_endOnText = false;
        m_grown = std::move(grown);
        m_said = std::move(said);
        m_done = std::move(done);
        m_ticks.start(100);
        Tick();
    }
    void Cancel() override { m_shared->cancel = true; }
    void Stop() override
    {
        m_shared->cancel = true;
        m_grown = nullptr;
        m_said = nullptr;
        m_done = nullptr;
        m_ticks.stop();
    }

private:
    void Tick();

    std::shared_ptr<Shared> m_shared;
    QString m_fileName;
    int m_language = 0;
    WaitEnd m_end;
    QTimer m_ticks;
    bool m_endOnText = false;
    std::optional<ConvertedDocument> m_converted;
    std::function<void(const QString &, int)> m_grown;
    std::function<void(const QString &)> m_said;
    std::function<void(const DocumentConversionResult &)> m_done;
    int m_pagesShown = 0;
    QString m_saidLast;
};

void Conversion::Tick()
{
    if (m_endOnText) {
        // With every page in, the whole conversion is a moment away.
        const auto [text, pages] = Settled();
        if (!text.isEmpty() && pages < m_shared->total)
            m_end.Done();
        return;
    }
    if (!m_done)
        return;
    // Kept alive while the document is told, which may leave it.
    const std::shared_ptr<Conversion> self = shared_from_this();
    const auto [text, pages] = Settled();
    if (!m_shared->cancel && pages > m_pagesShown && m_grown) {
        m_pagesShown = pages;
        m_grown(text, pages);
    }
    const int total = m_shared->total;
    if (!m_converted) {
        const QString said = PagesComingText(m_language, std::min(m_shared->done + 1, total), total);
        if (said != m_saidLast && m_said) {
            m_saidLast = said;
            m_said(said);
        }
        return;
    }
    m_ticks.stop();
    DocumentConversionResult result = ResultOf(m_fileName, *m_converted, m_shared->cancel, m_language);
    // The whole document, should its last page have settled nothing new.
    if (result.ok && !result.cancelled && result.text != text && m_grown)
        m_grown(result.text, total);
    if (result.cancelled)
        result.status = PagesStoppedText(m_language, m_pagesShown, total);
    const auto done = std::move(m_done);
    Stop();
    done(result);
}

} // namespace

QString ConversionProgressTitle(int language)
{
    static Row texts = {"Obrir", "Abrir", "Ireki", "Abrir", "Abrir", "Open", "Ouvrir"};
    return QString::fromUtf8(texts[LanguageRow(language)]);
}

QString ConversionProgressLabel(int language, const QString &fileName)
{
    static Row texts = {"Obrint %1...", "Abriendo %1...", "%1 irekitzen...", "Abrindo %1...", "A abrir %1...",
                        "Opening %1...", "Ouverture de %1..."};
    return QString::fromUtf8(texts[LanguageRow(language)]).arg(fileName);
}

QString ConversionProgressCancel(int language)
{
    static Row texts = {"Cancel·la", "Cancelar", "Utzi", "Cancelar", "Cancelar", "Cancel", "Annuler"};
    return QString::fromUtf8(texts[LanguageRow(language)]);
}

// The progress window, with its cancel button, until the conversion has delivered.
static void ShowProgressUntilDone(QWidget *parent, const QString &fileName, int language, bool countsPages,
                                  Conversion &conversion)
{
    const std::shared_ptr<Shared> shared = conversion.State();
    QProgressDialog dialog(ConversionProgressLabel(language, QFileInfo(fileName).fileName()),
                           ConversionProgressCancel(language), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("ConversionProgress"));
    dialog.setWindowTitle(ConversionProgressTitle(language));
    dialog.setAccessibleName(dialog.labelText());
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &dialog, [&dialog, shared, countsPages, language] {
        if (shared->total > 0) {
            dialog.setMaximum(shared->total);
            dialog.setValue(shared->done);
            if (countsPages) {
                const QString label = PageOfText(language, std::min(shared->done + 1, shared->total.load()), shared->total);
                if (label != dialog.labelText()) {
                    dialog.setLabelText(label);
                    dialog.setAccessibleName(label);
                }
            }
        }
    });
    ticks.start(100);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [shared] { shared->cancel = true; });
    dialog.show();
    // The result comes also after a cancel: the converter stops at its next page.
    WaitWithEvents(-1, conversion.End());
}

std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName, int quietMs,
                                                            const QByteArray &password, const QString &recognisers,
                                                            QString *status, bool openEarly)
{
    const DocumentKind kind = KindOfDocument(fileName);
    if (kind == DocumentKind::PlainText)
        return std::nullopt;
    // Pages are what a PDF or a picture counts; other documents count parts the reader never sees.
    const bool countsPages = kind == DocumentKind::Pdf || kind == DocumentKind::Picture;
    const int language = LanguageOf(parent);
    auto conversion = std::make_shared<Conversion>(fileName, language);
    const std::shared_ptr<Shared> shared = conversion->State();
    RunInBackground<ConvertedDocument>(
        [shared, fileName, password, recognisers, early = openEarly && countsPages] {
            ConversionControl control;
            control.password = password;
            control.recognisers = recognisers;
            control.progress = [shared](int done, int total) {
                shared->done = done;
                shared->total = total;
            };
            control.cancelled = [shared] { return shared->cancel.load(); };
            if (early)
                control.settled = [shared](const QString &text, int pages) {
                    std::lock_guard lock(shared->mutex);
                    shared->settled = text;
                    shared->settledPages = pages;
                };
            return ConvertDocument(fileName, control);
        },
        conversion.get(), [conversion = conversion.get()](ConvertedDocument result) { conversion->Delivered(std::move(result)); });
    // A short conversion shows nothing and lets no key reach the editor meanwhile, and
    // opens whole.
    const bool closing = WaitWithEvents(quietMs, conversion->End(), WaitInput::Held) == WaitOutcome::Closing;
    // A long one (pages being recognised) opens with its first pages once they settle,
    // while the rest are read.
    if (openEarly && countsPages && !closing && !conversion->End().IsDone())
        conversion->EndOnFirstText();

    if (!conversion->End().IsDone() && !closing) {
        ShowProgressUntilDone(parent, fileName, language, countsPages, *conversion);
    }
    if (!conversion->End().IsDone()) {
        // The program is closing: the converter is told to stop, and its result, which
        // would come to no one, is not waited for. Nothing is opened.
        shared->cancel = true;
        DocumentConversionResult result;
        result.cancelled = true;
        result.suggestedName = SuggestedTextName(fileName);
        return result;
    }
    if (!conversion->Converted()) {
        // The first pages are in: the document opens with them while the rest are read,
        // unless the user stopped it before, which leaves everything as it was.
        DocumentConversionResult result;
        result.suggestedName = SuggestedTextName(fileName);
        result.cancelled = shared->cancel;
        result.ok = !result.cancelled;
        const auto [text, pages] = conversion->Settled();
        result.text = text;
        result.origin = OriginText(QFileInfo(fileName).fileName(), shared->total, language);
        conversion->Shown(pages);
        if (result.ok)
            result.rest = conversion;
        return result;
    }
    DocumentConversionResult result = ResultOf(fileName, *conversion->Converted(), shared->cancel, language);
    if (status)
        *status = result.status;
    return result;
}
