#include "app/shell/Startup.h"
#include "app/shell/RecoveryOffer.h"
#include "app/shell/WindowPlacement.h"

#include "app/export/BookExportController.h"
#include "app/export/ExportController.h"
#include "app/typing/ActivityGate.h"
#include "app/typing/CaretEcho.h"
#include "app/reading/LanguageReading.h"
#include "app/reading/LanguageVoicesBox.h"
#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReadingController.h"
#include "app/reading/ReadingTriggers.h"
#include "app/reading/SpokenWordHighlight.h"
#include "app/shell/CloseController.h"
#include "app/shell/StartupCaretEcho.h"
#include "app/shell/StartupNotices.h"
#include "app/shell/StartupPictureReading.h"
#include "app/shell/StartupReadingView.h"
#include "app/shell/StartupSpelling.h"
#include "app/spelling/SpellingAssistant.h"
#include "app/view/ReadingView.h"
#include "app/window/AboutBox.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/ReadingOptions.h"
#include "core/WaitWithEvents.h"
#include "engines/SynthesizerMissingText.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "platform/AccessibleLineEdit.h"
#include "platform/DesktopWindowsDBus.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "speech/SpeechSettings.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"
#include "windows/ReadingOptionsStore.h"

#include <QApplication>
#include <QFileInfo>

QString CommandLineFileName(const QStringList &words)
{
    // Linux keeps a final blank in a name, so none is added after the last word.
    return words.join(QLatin1Char(' '));
}

void SetProgramIdentity()
{
    // Screen readers announce the application by its name. No display name is set: the
    // desktop would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("Tolvanet Corvalida"));
    QApplication::setDesktopFileName(QStringLiteral("tolvanet"));
    InstallAccessibleLineEdits();
}

bool StoredVoiceIsEspeak(const SettingsStore &settings)
{
    QStringList espeak;
    for (const VoiceCatalog::Voice &voice : VoiceCatalog::EspeakVoices())
        espeak << voice.description;
    return StoredVoice::InFirstRows(StoredVoice::Read(settings), espeak);
}

namespace
{
// The speech window with its engines and the dictionary holder; the engines in use.
SpeechEngineSet CreateSpeech(ProgramWindows &windows, const StartupOptions &options)
{
    SettingsStore &settings = *windows.settings;
    FormPrincipal &main = *windows.main;
    windows.desktop = std::make_unique<DBusDesktopWindows>();
    SpeechEngineSet engines;
    // A stored espeak-ng voice needs nothing of the speech service: the window does
    // not wait for the service to start (its voices join the list when it answers).
    const bool waitForService = !StoredVoiceIsEspeak(settings);
    if (options.engines) {
        engines = *options.engines;
    } else {
        windows.realEngines = std::make_unique<RealSpeechEngines>(options.paths.programDir, windows.desktop.get(),
                                                                  waitForService);
        engines = windows.realEngines->Engines();
    }
    windows.dictionary = std::make_unique<FormDiccionariExcepcions>(settings, &main.Questions(),
                                                                   options.paths.programDir);
    // A speech setting that cannot be written is told once, in the status line.
    SpeechSettings speechSettings(settings);
    speechSettings.SetFailureReport([&main](const QString &problem) { main.ShowStatus(problem); });
    windows.speech = std::make_unique<SpeechController>(speechSettings, engines, windows.dictionary.get());
    // The speech service's voices come later when the window did not wait for them or
    // the service did not answer in time; the stored voice may be among them.
    const bool serviceVoicesLater = windows.realEngines && !engines.sapi;
    if (serviceVoicesLater)
        windows.speech->ExpectServiceVoices();
    // A voice that cannot speak and says why is told in the status line; a missing
    // synthesizer (what to install) in the interface language: the stored one while
    // none has been applied yet, as when the stored voice is chosen at start.
    static_assert(kSynthesizerMissingLanguages == kLanguageCount);
    QObject::connect(windows.speech.get(), &SpeechController::speechFailed, &main,
                     [&main, &settings, owner = &windows](UtteranceId, SpeechFailure failure, const QString &message) {
        const int applied = owner->interfaceLanguage->Language();
        if (failure == SpeechFailure::SynthesizerMissing)
            main.ShowStatus(SynthesizerMissingText(applied >= 0 ? applied : StoredInterfaceLanguage(settings)));
        else if (!message.isEmpty())
            main.ShowStatus(message);
    });
    windows.speech->SetUp();
    windows.speechWindow = std::make_unique<FormTTS>(*windows.speech, *windows.dictionary, speechSettings,
                                                       *windows.readingOptions);
    windows.speechWindow->SetHelpAction([about = windows.about.get()] { about->exec(); });
    if (serviceVoicesLater) {
        QObject::connect(windows.speech.get(), &SpeechController::voiceListChanged, windows.speechWindow.get(),
                         &FormTTS::RefreshVoiceList);
        SpeechController *speech = windows.speech.get();
        windows.realEngines->ServiceVoicesLater(speech, [speech](VoiceEngine *engine) { speech->AddServiceVoices(engine); });
    }
    windows.dictionary->FormCreate();
    return engines;
}

// The reading of the document: its keys, the one-hand keyboard, the highlight and the
// reader's moves; spelling; the audio export.
void CreateReadingAndExport(ProgramWindows &windows, const StartupOptions &options, const SpeechEngineSet &engines)
{
    FormPrincipal &main = *windows.main;
    windows.oneHand = std::make_unique<OneHandKeyboard>(main.Edit(), *windows.settings, *windows.readingOptions);
    windows.triggers = std::make_unique<ReadingTriggers>(main.Edit(), *windows.speech, *windows.readingOptions,
                                                        *windows.oneHand);
    windows.highlight = std::make_unique<SpokenWordHighlight>(main.Edit(), *windows.settings);
    windows.readingController = std::make_unique<ReadingController>(ReadingController::Parts{
        main, *windows.gate, *windows.settings, *windows.speech, *windows.speechWindow, *windows.languages,
        *windows.oneHand, *windows.triggers, *windows.highlight});
    windows.languageReading = std::make_unique<LanguageReading>(LanguageReading::Parts{
        main.Edit(), *windows.settings, *windows.speech, windows.triggers->Session(),
        [&main](const QString &text) { main.ShowStatus(text); },
        [owner = &windows] { return owner->interfaceLanguage->Language(); }});
    windows.languageReading->BindMenuItem(main.ActionFor(WindowCommandId::kFollowLanguage));
    auto *voicesBox = new LanguageVoicesBox(windows.languageReading->Voices(), *windows.settings);
    voicesBox->SetTell([&main](const QString &text) { main.ShowStatus(text); });
    windows.speechWindow->AddSection(voicesBox);
    QObject::connect(windows.languageReading.get(), &LanguageReading::voicesChanged, voicesBox,
                     &LanguageVoicesBox::Refresh);
    QObject::connect(windows.interfaceLanguage.get(), &InterfaceLanguageModel::languageChanged, voicesBox,
                     &LanguageVoicesBox::Relabel);
    voicesBox->Relabel(windows.interfaceLanguage->Language());
    ConnectSpelling(windows, options.paths.programDir, engines.wave);
    ConnectCaretEcho(windows);
    ConnectPictureReading(windows);

    windows.launcher = std::make_unique<ProcessRendererLauncher>(options.paths.programDir);
    windows.exporter = std::make_unique<AudioExporter>(options.paths, *windows.desktop, *windows.launcher);
    windows.exportController = std::make_unique<ExportController>(ExportController::Parts{
        main, *windows.gate, *windows.speech, *windows.triggers, *windows.dictionary, *windows.languages,
        *windows.exporter});
    windows.exportController->SetLanguageRuns([reading = windows.languageReading.get()](const ExportRequest &request) {
        return reading->ExportRuns(request.text, {request.voice, request.voiceName});
    });
    windows.bookExporter = std::make_unique<BookExporter>(options.paths, *windows.desktop, *windows.launcher);
    windows.bookExportController = std::make_unique<BookExportController>(BookExportController::Parts{
        main, *windows.gate, *windows.speech, *windows.triggers, *windows.dictionary, *windows.languages,
        *windows.bookExporter});
    windows.bookExportController->SetLanguages([reading = windows.languageReading.get()](const ExportRequest &request) {
        BookLanguages languages;
        if (!reading->On())
            return languages;
        const LanguageVoiceChoice chosen{request.voice, request.voiceName};
        languages.languagesOf = [reading](const QString &text) { return reading->Languages(text); };
        languages.runsOf = [reading, chosen](const QList<LanguageRun> &told) { return reading->ExportRuns(told, chosen); };
        return languages;
    });
}

// Settings that could not be used are told once, together, in the status line; else a
// missing sound server.
void TellStartProblems(ProgramWindows &windows, const QStringList &fontProblems)
{
    SettingsStore &settings = *windows.settings;
    QStringList unusable = UnusableStartSettings(settings);
    if (!fontProblems.isEmpty())
        unusable.prepend(QStringLiteral("\"Font Missatge\" amb valors no numèrics (%1): s'ha usat el valor per defecte")
                             .arg(fontProblems.join(QStringLiteral(", "))));
    if (!unusable.isEmpty())
        windows.main->ShowStatus(UnusedSettingsNotice(settings.FileName(), unusable));
    // Without a sound server nothing can be heard: say so rather than stay silent.
    else if (windows.realEngines && !windows.realEngines->Audible())
        windows.main->ShowStatus(QStringLiteral("No hi ha cap servidor de so: la veu i els sons no es poden sentir."));
}
} // namespace

std::unique_ptr<ProgramWindows> StartProgram(const StartupOptions &options)
{
    SetProgramIdentity();
    auto windows = std::make_unique<ProgramWindows>();
    windows->gate = std::make_unique<ActivityGate>();

    // 1. The about window as a splash.
    windows->about = std::make_unique<AboutBox>();
    if (options.splash) {
        windows->about->ShowAsSplash();
        HandlePendingEvents();
    }

    // 2. The windows, in order: the main window, the speech window with its engines,
    // the dictionary holder and the language chooser.
    windows->settings = std::make_unique<SettingsStore>(options.paths.settingsFile);
    SettingsStore &settings = *windows->settings;
    windows->readingOptions = std::make_unique<ReadingOptions>();
    windows->interfaceLanguage = std::make_unique<InterfaceLanguageModel>();
    windows->main = std::make_unique<FormPrincipal>(options.paths, settings, windows->about.get());
    FormPrincipal &main = *windows->main;
    const SpeechEngineSet engines = CreateSpeech(*windows, options);
    windows->languages = std::make_unique<FormLlenguatge>(*windows->interfaceLanguage, *windows->speechWindow);
    main.FollowLanguage(*windows->interfaceLanguage);
    CreateReadingAndExport(*windows, options, engines);

    // 3. The title with the version label, on both windows.
    main.ComposeTitle(windows->about->VersionText());
    windows->speechWindow->setWindowTitle(main.windowTitle());

    // 4. The reading options.
    RestoreReadingOptions(settings, *windows->readingOptions);

    // 5. The editor font.
    QStringList problems;
    main.ApplyStoredFont(&problems);
    // The reading view goes over the stored font and colours, before any document is in.
    ConnectReadingView(*windows);

    // 6. The command-line file.
    const QString fileName = CommandLineFileName(options.words);
    if (!fileName.isEmpty())
        main.LoadCommandLineFile(fileName);

    // 7. The interface language.
    RestoreInterfaceLanguage(settings, *windows->languages);
    windows->about->SetLanguageIndex(windows->languages->LanguageIndex());
    // Closing stores the reading options and the language, and silences the speech.
    windows->closeController = std::make_unique<CloseController>(CloseController::Parts{
        main, *windows->triggers, settings, *windows->readingOptions, *windows->languages});
    TellStartProblems(*windows, problems);

    // 8. The first run: the voice is chosen before the editor is used.
    if (options.firstRunWindow && NeedsFirstVoiceChoice(settings))
        windows->speechWindow->exec();

    FitOnScreen(main);
    main.show();

    // 9. What an earlier run could not save is offered back; from now on this run keeps its own copy.
    const QString recoveryFolder = QFileInfo(settings.FileName()).absolutePath() + QStringLiteral("/recovery");
    main.KeepRecoveryCopies(recoveryFolder);
    OfferRecoveredDocument(main, recoveryFolder, windows->languages->LanguageIndex());
    return windows;
}
