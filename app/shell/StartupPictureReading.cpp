#include "app/shell/StartupPictureReading.h"

#include "app/documents/ConversionProgress.h"
#include "app/documents/RecognitionTexts.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/ProgramWindows.h"
#include "app/window/MainWindow.h"
#include "core/documents/DocumentConversion.h"
#include "core/documents/PageRecognition.h"
#include "platform/WorkerThread.h"
#include "speech/SpeechController.h"
#include "speech/VoiceLanguage.h"
#include "windows/InterfaceLanguages.h"

#include <memory>

void ConnectPictureReading(ProgramWindows &windows)
{
    FormPrincipal *main = windows.main.get();
    SpeechController *speech = windows.speech.get();
    auto recognisers = [main, speech] {
        return RecognisersFor(SelectedVoiceLanguage(*speech), main->property(kInterfaceLanguageProperty).toInt());
    };
    // Documents open as the window's own converter opens them, in the recognisers' languages,
    // and the status line adds how sure the recogniser was.
    main->Documents().SetConverter([main, recognisers](const QString &fileName, const QByteArray &password) {
        QString status;
        std::optional<DocumentConversionResult> converted =
            ConvertWithProgress(main, fileName, 500, password, recognisers(), &status);
        if (converted && converted->ok)
            main->ShowStatus(status.isEmpty() ? converted->origin : converted->origin + QStringLiteral(", ") + status);
        return converted;
    });

    ReadingTriggers *triggers = windows.triggers.get();
    // One picture at a time: another F9 while one is read is left alone, as the first will speak.
    auto busy = std::make_shared<bool>(false);
    triggers->SetClipboardPictureReader([main, triggers, recognisers, busy](const QImage &picture) {
        if (*busy)
            return;
        *busy = true;
        const QString languages = recognisers();
        RunInBackground<ConvertedDocument>(
            [picture, languages] {
                ConversionControl control;
                control.recognisers = languages;
                return RecognisePicture(picture, control);
            },
            triggers,
            [main, triggers, busy](ConvertedDocument read) {
                *busy = false;
                const int language = main->property(kInterfaceLanguageProperty).toInt();
                if (read.ok) {
                    main->ShowStatus(RecognitionStatusText(language, read));
                    triggers->SayClipboardText(read.text);
                    return;
                }
                const QString reason = ConversionErrorText(QString(), read.problem, read.detail, language);
                main->ShowStatus(reason);
                triggers->SayClipboardText(reason);
            });
    });
}
