#include "app/shell/StartupPictureReading.h"

#include "app/documents/ConversionProgress.h"
#include "app/documents/DocumentGrowth.h"
#include "app/documents/RecognitionTexts.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/ProgramWindows.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/documents/DocumentConversion.h"
#include "core/documents/PageRecognition.h"
#include "platform/WorkerThread.h"
#include "speech/SpeechController.h"
#include "speech/VoiceLanguage.h"
#include "windows/InterfaceLanguages.h"

#include <QKeyEvent>

#include <memory>

namespace {

// While later pages are read, the stop key stops them when nothing is being read aloud;
// during a reading it stops the reading, as ever. (Esc in the editor reads the document,
// so it cannot be the key.)
class StopKeyWatch : public QObject
{
public:
    StopKeyWatch(FormPrincipal *main, SpeechController *speech)
        : QObject(main)
        , m_main(main)
    {
        connect(speech, &SpeechController::wordHeard, this, [this] { m_reading = true; });
        connect(speech, &SpeechController::readingEnded, this, [this] { m_reading = false; });
        main->Edit()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F11
            && !static_cast<QKeyEvent *>(event)->isAutoRepeat() && m_main->Documents().PagesComing()) {
            if (!m_reading)
                m_main->Documents().StopPagesComing();
            m_reading = false;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    FormPrincipal *m_main;
    bool m_reading = false;
};

} // namespace

void ConnectPictureReading(ProgramWindows &windows)
{
    FormPrincipal *main = windows.main.get();
    SpeechController *speech = windows.speech.get();
    auto recognisers = [main, speech] {
        return RecognisersFor(SelectedVoiceLanguage(*speech), main->property(kInterfaceLanguageProperty).toInt());
    };
    // Documents open as the window's own converter opens them, in the recognisers' languages,
    // and the status line adds how sure the recogniser was. A document of pages opens with
    // its first ones, and the rest come in while the reader reads.
    main->Documents().SetConverter([main, recognisers](const QString &fileName, const QByteArray &password) {
        QString status;
        std::optional<DocumentConversionResult> converted =
            ConvertWithProgress(main, fileName, 500, password, recognisers(), &status, true);
        if (converted && converted->ok && !converted->rest)
            main->ShowStatus(status.isEmpty() ? converted->origin : converted->origin + QStringLiteral(", ") + status);
        if (converted && converted->rest)
            main->Edit()->setFocus();
        return converted;
    });
    QPlainTextEdit *edit = main->Edit();
    main->Documents().SetGrower([edit](const QString &shown, const QString &grown) { GrowDocument(edit, shown, grown); });
    new StopKeyWatch(main, speech); // owned by the window

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
