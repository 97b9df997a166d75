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

namespace {

// What the converting thread and the window share; the job keeps it alive.
struct Shared
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
};

using Row = const char *const[kSynthesizerMissingLanguages];

int LanguageOf(const QWidget *parent)
{
    const QWidget *window = parent ? parent->window() : nullptr;
    return window ? window->property(kInterfaceLanguageProperty).toInt() : 0;
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

std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName, int quietMs,
                                                            const QByteArray &password, const QString &recognisers,
                                                            QString *status)
{
    const DocumentKind kind = KindOfDocument(fileName);
    if (kind == DocumentKind::PlainText)
        return std::nullopt;
    // Pages are what a PDF or a picture counts; other documents count parts the reader never sees.
    const bool countsPages = kind == DocumentKind::Pdf || kind == DocumentKind::Picture;
    auto shared = std::make_shared<Shared>();
    std::optional<ConvertedDocument> converted;
    WaitEnd end;
    RunInBackground<ConvertedDocument>(
        [shared, fileName, password, recognisers] {
            ConversionControl control;
            control.password = password;
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

    const int language = LanguageOf(parent);
    if (!converted && !closing) {
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
    result.origin = OriginText(fileName, *converted, language);
    if (!converted->ok)
        result.error = ConversionErrorText(fileName, converted->problem, converted->detail, language);
    result.needsPassword = converted->problem == DocumentProblem::Password
        || converted->problem == DocumentProblem::WrongPassword;
    result.wrongPassword = converted->problem == DocumentProblem::WrongPassword;
    if (status)
        *status = RecognitionStatusText(language, *converted);
    result.suggestedName = SuggestedTextName(fileName);
    return result;
}
