#include "app/shell/StartupCaretEcho.h"

#include "app/typing/CaretEcho.h"
#include "app/reading/ReadingSession.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/ProgramWindows.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "speech/SpeechController.h"
#include "windows/InterfaceLanguages.h"

void ConnectCaretEcho(ProgramWindows &windows)
{
    FormPrincipal &main = *windows.main;
    windows.caretEcho = std::make_unique<CaretEcho>(main.Edit(), *windows.settings, *windows.speech);
    CaretEcho &echo = *windows.caretEcho;
    echo.SetInterfaceLanguage([&main] { return main.property(kInterfaceLanguageProperty).toInt(); });
    echo.SetActivityGate(windows.gate.get());
    echo.BindMenuItem(main.ActionFor(WindowCommandId::kCaretEcho));
    // The echo follows the reading session's parts and stops, as the highlight does.
    ReadingSession *session = &windows.triggers->Session();
    QObject::connect(session, &ReadingSession::partStarted, &echo,
                     [&echo](UtteranceId utterance) { echo.ReadingAloud(utterance); });
    QObject::connect(session, &ReadingSession::speechStopping, &echo, &CaretEcho::SpeechStopped);
    QObject::connect(windows.speech.get(), &SpeechController::readingEnded, &echo, &CaretEcho::ReadingEnded);
}
