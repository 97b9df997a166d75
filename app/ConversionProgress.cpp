#include "app/ConversionProgress.h"

#include "core/documents/DocumentConversion.h"
#include "platform/WorkerThread.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

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

std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName, int quietMs)
{
    if (KindOfDocument(fileName) == DocumentKind::PlainText)
        return std::nullopt;
    auto shared = std::make_shared<Shared>();
    std::optional<ConvertedDocument> converted;
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    RunInBackground<ConvertedDocument>(
        [shared, fileName] {
            ConversionControl control;
            control.progress = [shared](int done, int total) {
                shared->done = done;
                shared->total = total;
            };
            control.cancelled = [shared] { return shared->cancel.load(); };
            return ConvertDocument(fileName, control);
        },
        &loop,
        [&converted, waiting](ConvertedDocument result) {
            converted = std::move(result);
            if (waiting)
                waiting->quit();
        });

    // A short conversion shows nothing and lets no key reach the editor meanwhile.
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    quiet.start(quietMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!converted) {
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
        QObject::connect(&ticks, &QTimer::timeout, &dialog, [&dialog, shared] {
            if (shared->total > 0) {
                dialog.setMaximum(shared->total);
                dialog.setValue(shared->done);
            }
        });
        ticks.start(100);
        QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [shared] { shared->cancel = true; });
        dialog.show();
        // The result comes also after a cancel: the converter stops at its next page.
        while (!converted)
            loop.exec();
    }

    DocumentConversionResult result;
    result.ok = converted->ok;
    result.cancelled = converted->cancelled || shared->cancel;
    result.text = converted->text;
    result.origin = converted->origin;
    result.error = converted->error;
    result.suggestedName = SuggestedTextName(fileName);
    return result;
}
