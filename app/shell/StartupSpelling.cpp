#include "app/shell/StartupSpelling.h"

#include "app/reading/LanguageReading.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/ProgramWindows.h"
#include "app/spelling/SpellingAssistant.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "speech/SpeechController.h"
#include "speech/VoiceLanguage.h"
#include "windows/InterfaceLanguages.h"

#include <QDir>
#include <QTextBlock>

void ConnectSpelling(ProgramWindows &windows, const QString &programDir, WavePlayer *tonePlayer)
{
    FormPrincipal &main = *windows.main;
    windows.spelling = std::make_unique<SpellingAssistant>(
        main.Edit(), *windows.settings, *windows.speech, PersonalWordList::BesideSettings(windows.settings->FileName()));
    SpellingAssistant &spelling = *windows.spelling;
    SpeechController *speech = windows.speech.get();
    spelling.SetVoiceLanguage([speech] { return SelectedVoiceLanguage(*speech); });
    spelling.SetInterfaceLanguage([&main] { return main.property(kInterfaceLanguageProperty).toInt(); });
    spelling.SetStatus([&main](const QString &text) { main.ShowStatus(text); });
    ReadingTriggers *triggers = windows.triggers.get();
    spelling.SetStopReading([triggers] { triggers->ButtonPararClick(); });
    spelling.SetActivityGate(windows.gate.get());
    spelling.SetTone(tonePlayer, QDir(programDir).filePath(QString::fromLatin1(kSpellingToneFile)));
    spelling.BindMenuItem(main.ActionFor(WindowCommandId::kSpellCheck));
    QObject::connect(triggers, &ReadingTriggers::wordEchoed, &spelling, &SpellingAssistant::WordEchoed);
    QObject::connect(speech, &SpeechController::readingEnded, &spelling, &SpellingAssistant::ReadingEnded);
    // A right click on a marked word opens its menu; elsewhere the font dialog, as before.
    triggers->SetRightClick([&spelling](const QPoint &at) { return spelling.ShowMenuAt(at); });
    // With the voice following the language, each paragraph is checked in its own.
    if (LanguageReading *reading = windows.languageReading.get()) {
        spelling.SetParagraphLanguage([reading](const QTextBlock &block) { return reading->ParagraphLanguage(block); });
        QObject::connect(reading, &LanguageReading::paragraphLanguagesChanged, &spelling,
                         &SpellingAssistant::ParagraphLanguagesChanged);
    }
    spelling.FollowVoice();
}
