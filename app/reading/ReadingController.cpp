#include "app/reading/ReadingController.h"

#include "app/typing/ActivityGate.h"
#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReaderCommands.h"
#include "app/reading/ReadingTriggers.h"
#include "app/reading/SpokenWordHighlight.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"

#include <QCheckBox>
#include <QToolButton>

ReadingController::ReadingController(const Parts &parts) : m_parts(parts)
{
    ConnectOneHandKeyboard();
    ConnectTriggers();
    ConnectOptionsCommands();
    ConnectWordHeard();
}

void ReadingController::ConnectOneHandKeyboard()
{
    FormPrincipal &main = m_parts.main;
    OneHandKeyboard &oneHand = m_parts.oneHand;
    oneHand.BindMenuItem(main.ActionFor(WindowCommandId::kOneHandKeyboard));
    connect(&oneHand, &OneHandKeyboard::settingsWriteFailed, &main,
            [&main](const QString &message) { main.Questions().Message(message); });
    oneHand.Start();
    m_parts.speechWindow.SetOneHandSwitch(&oneHand);
}

void ReadingController::ConnectTriggers()
{
    FormPrincipal &main = m_parts.main;
    ReadingTriggers &triggers = m_parts.triggers;
    triggers.SetActivityGate(m_parts.gate);
    triggers.SetFontCommand([&main] { main.MenuCanviarLaFontClick(); });
    triggers.SetShowSpeechWindow([this] { m_parts.speechWindow.exec(); });
    const MainToolBar &tools = main.ToolBar();
    triggers.ConnectToolbar({tools.lectura, tools.paraulaPerParaula, tools.parar, tools.menu});
    triggers.SetOneWordBox(tools.nomesUnaParaula);
    triggers.Echo().FollowSpeechNews();
    connect(&m_parts.speech, &SpeechController::readingEnded, &triggers.Echo(), &LetterEcho::ReadingEnded);
    ReadingSession *session = &triggers.Session();
    connect(&m_parts.speech, &SpeechController::wordHeard, session, &ReadingSession::WordHeard);
    connect(&m_parts.speech, &SpeechController::readingEnded, session, &ReadingSession::ReadingEnded);
}

// The same commands from "&Opcions", for the keyboard and the full-menu mode.
void ReadingController::ConnectOptionsCommands()
{
    FormPrincipal &main = m_parts.main;
    ReadingTriggers *triggers = &m_parts.triggers;
    main.SetCommandHandler(WindowCommandId::kSpeechWindow, [triggers] { triggers->SpeedButtonMenuClick(); });
    // Word by word runs once the menu has closed and the editor has the focus again.
    main.SetCommandHandler(WindowCommandId::kWordByWord, [triggers, &main] {
        QMetaObject::invokeMethod(triggers, [triggers, &main] {
            main.Edit()->setFocus();
            triggers->SpeedButtonParaulaPerParaulaClick();
        }, Qt::QueuedConnection);
    });
    ActivityGate *gate = &m_parts.gate;
    FormLlenguatge *languages = &m_parts.languages;
    main.SetCommandHandler(WindowCommandId::kLanguage, [gate, languages] {
        gate->StartAfterWordByWord(ActivityGate::Start::Window,
                                   [gate, languages] { gate->RunModal([languages] { languages->exec(); }); });
    });
    main.SetCommandHandler(QStringLiteral("font"), [gate, &main] {
        gate->StartAfterWordByWord(ActivityGate::Start::Window,
                                   [gate, &main] { gate->RunModal([&main] { main.MenuCanviarLaFontClick(); }); });
    });
}

// The word being heard is highlighted while the editor's texts are read aloud, and the
// reader's place in the document follows it.
void ReadingController::ConnectWordHeard()
{
    SpokenWordHighlight *highlight = &m_parts.highlight;
    highlight->BindMenuItem(m_parts.main.ActionFor(WindowCommandId::kHighlightSpokenWord));
    // The highlight follows the reading session's parts and the words it tells.
    ReadingSession &session = m_parts.triggers.Session();
    connect(&session, &ReadingSession::partStarted, highlight, &SpokenWordHighlight::Follow);
    connect(&session, &ReadingSession::wordHeard, highlight, &SpokenWordHighlight::WordHeardAt);
    connect(&m_parts.speech, &SpeechController::readingEnded, highlight, &SpokenWordHighlight::ReadingEnded);

    SpeechController *speech = &m_parts.speech;
    session.SetVoiceTellsWords([speech] { return speech->SelectedVoiceTellsWords(); });
    ConnectReaderCommands({m_parts.main, session, m_parts.speechWindow, m_parts.languages, m_parts.settings.FileName()});
}
