#include "app/shell/ProgramWindows.h"

#include "app/export/BookExportController.h"
#include "app/export/ExportController.h"
#include "app/typing/ActivityGate.h"
#include "app/typing/CaretEcho.h"
#include "app/reading/LanguageReading.h"
#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReadingController.h"
#include "app/reading/ReadingTriggers.h"
#include "app/reading/SpokenWordHighlight.h"
#include "app/shell/CloseController.h"
#include "app/spelling/SpellingAssistant.h"
#include "app/view/ReadingView.h"
#include "app/window/AboutBox.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/ReadingOptions.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "book/BookExporter.h"
#include "platform/DesktopWindowsDBus.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"

// Out of line, where every window and controller is a whole type.
ProgramWindows::ProgramWindows() = default;

ProgramWindows::~ProgramWindows() = default;
