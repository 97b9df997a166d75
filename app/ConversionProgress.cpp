#include "app/ConversionProgress.h"

#include "app/RecognitionTexts.h"
#include "core/WaitWithEvents.h"
#include "core/documents/DocumentConversion.h"
#include "platform/WorkerThread.h"
#include "windows/InterfaceLanguages.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// What the converting thread and the window share; the job keeps it alive.
struct Shared
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
};

} // namespace

std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName,
                                                            const QString &recognisers, int quietMs, QString *status)
{
    const DocumentKind kind = KindOfDocument(fileName);
    if (kind == DocumentKind::PlainText)
        return std::nullopt;
    // Pages are what a PDF or a picture counts; other documents count parts the reader never sees.
    const bool countsPages = kind == DocumentKind::Pdf || kind == DocumentKind::Picture;
    const int language = parent ? parent->window()->property(kInterfaceLanguageProperty).toInt() : 0;
    auto shared = std::make_shared<Shared>();
    std::optional<ConvertedDocument> converted;
    WaitEnd end;
    RunInBackground<ConvertedDocument>(
        [shared, fileName, recognisers] {
            ConversionControl control;
            control.recognisers = recognisers;
            control.progress = [shared](int done, int total) {
                shared->done = done;
                shared->total = total;
            };
            control.cancelled = [shared] { return shared->cancel.load(); };
            return ConvertDocument(fileName, control);
        },
        &end,
        [&converted, &end](ConvertedDocument result) {
            converted = std::move(result);
            end.Done();
        });

    // A short conversion shows nothing and lets no key reach the editor meanwhile.
    const bool closing = WaitWithEvents(quietMs, end, WaitInput::Held) == WaitOutcome::Closing;

    if (!converted && !closing) {
        QProgressDialog dialog(QStringLiteral("Obrint %1...").arg(QFileInfo(fileName).fileName()),
                               QStringLiteral("Cancel·la"), 0, 0, parent);
        dialog.setObjectName(QStringLiteral("ConversionProgress"));
        dialog.setWindowTitle(QStringLiteral("Obrir"));
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
        WaitWithEvents(-1, end);
    }
    if (!converted) {
        // The program is closing: the converter is told to stop, and its result, which
        // would come to no one, is not waited for. Nothing is opened.
        shared->cancel = true;
        DocumentConversionResult result;
        result.cancelled = true;
        result.suggestedName = SuggestedTextName(fileName);
        return result;
    }

    DocumentConversionResult result;
    result.ok = converted->ok;
    result.cancelled = converted->cancelled || shared->cancel;
    result.text = converted->text;
    result.origin = converted->origin;
    result.error = converted->pictureWithoutText ? NoTextInPictureText(language, QFileInfo(fileName).fileName())
                                                 : converted->error;
    if (status)
        *status = RecognitionStatusText(language, *converted);
    result.suggestedName = SuggestedTextName(fileName);
    return result;
}
