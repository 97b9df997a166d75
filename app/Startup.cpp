#include "app/Startup.h"
#include "app/RecoveryOffer.h"
#include "app/WindowPlacement.h"

#include "app/AboutBox.h"
#include "app/ActivityGate.h"
#include "app/EditorWidget.h"
#include "app/ExportEndTexts.h"
#include "app/MainWindow.h"
#include "app/OneHandKeyboard.h"
#include "core/ReadingOptions.h"
#include "app/ReadingTriggers.h"
#include "app/SpokenWordHighlight.h"
#include "app/StartupNotices.h"
#include "app/StatusAnnouncer.h"
#include "core/WaitWithEvents.h"
#include "platform/AccessibleLineEdit.h"
#include "platform/DesktopWindowsDBus.h"
#include "platform/ScreenReaderStatus.h"
#include "speech/AudioExportPrograms.h"
#include "speech/AudioExporter.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/FormLlenguatge.h"
#include "speech/FormTTS.h"
#include "speech/ReadingOptionsStore.h"
#include "speech/RealSpeechEngines.h"
#include "speech/SpeechController.h"
#include "speech/VoiceCatalog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

// The WAV and MP3 buttons, the menu items of the three formats and the name field, by
// the name typed and whether an export runs.
void UpdateExportControls(FormPrincipal &main, bool exporting)
{
    const MainToolBar &tools = main.ToolBar();
    const ExportControls controls = ExportControlsFor(tools.nomFitxer->text(), exporting);
    tools.wav->setEnabled(controls.wavButton);
    tools.mp3->setEnabled(controls.mp3Button);
    main.ActionFor(WindowCommandId::kSaveWav)->setEnabled(controls.wavButton);
    main.ActionFor(WindowCommandId::kSaveMp3)->setEnabled(controls.mp3Button);
    main.ActionFor(WindowCommandId::kSaveOpus)->setEnabled(controls.opusItem);
    tools.nomFitxer->setEnabled(controls.nameField);
}

// What is said when an export ends, in the voice in use: the sound file's name, or that
// none was made (a WAV that an MP3 or Opus file could not be made from is named too).
QString ExportEndSentence(const ExportResult &result)
{
    const QString name = QFileInfo(result.file).fileName();
    if (result.ok)
        return QStringLiteral("Fitxer de so desat: %1.").arg(name);
    if (!name.isEmpty() && QFileInfo::exists(result.file))
        return QStringLiteral("No s'ha pogut fer el fitxer %1. El so és a %2.")
            .arg(result.format == ExportFormat::Opus ? QStringLiteral("Opus") : QStringLiteral("MP3"), name);
    return QStringLiteral("No s'ha desat cap fitxer de so.");
}

// The export of the document as it stands, in the voice and at the rate in use.
void StartExport(ProgramWindows &windows, ExportFormat format)
{
    FormPrincipal &window = *windows.main;
    ExportRequest request;
    request.text = window.Document().Text();
    request.name = window.ToolBar().nomFitxer->text();
    request.format = format;
    request.voice = ExportVoiceOfListIndex(windows.speech->SelectedIndex(), windows.speech->MspCount(),
                                           windows.speech->SapiCount());
    request.rate = windows.speech->RatePosition();
    request.subtitles = kAllSubtitles;
    windows.exporter->Start(request);
}

// While an export runs the options menu and the font dialog wait for it, as the
// reading and export buttons do.
void UpdateBusyControls(ProgramWindows &windows)
{
    FormPrincipal &main = *windows.main;
    const bool exporting = windows.gate->Exporting();
    const MainToolBar &tools = main.ToolBar();
    for (QToolButton *button : {tools.lectura, tools.paraulaPerParaula, tools.menu})
        button->setEnabled(!exporting);
    if (QMenu *options = main.MenuNamed(QStringLiteral("MenuOpcions")))
        for (QAction *action : options->actions())
            if (!action->isSeparator())
                action->setEnabled(!exporting);
    for (const char *id : {WindowCommandId::kSpeechWindow, WindowCommandId::kWordByWord,
                           WindowCommandId::kLanguage, WindowCommandId::kOneHandKeyboard,
                           WindowCommandId::kHighlightSpokenWord})
        main.ActionFor(id)->setEnabled(!exporting);
    if (QAction *font = main.ActionFor(QStringLiteral("font")))
        font->setEnabled(!exporting);
    // The export items keep the name field's rule.
    UpdateExportControls(main, windows.exporter->Busy());
}

void ConnectAudioExport(ProgramWindows &windows)
{
    FormPrincipal &main = *windows.main;
    AudioExporter &exporter = *windows.exporter;
    exporter.SetStopReading([&windows] { windows.triggers->ButtonPararClick(); });
    exporter.SetDictionary([&windows](const QString &text) {
        return windows.dictionary->ApplyExceptionsDictionary(text);
    });
    auto start = [&windows](ExportFormat format) {
        if (!windows.gate->MayStart(ActivityGate::Start::Export))
            return;
        // A word-by-word reading stops first; the recording starts once it has returned.
        windows.triggers->ButtonPararClick();
        windows.gate->StartAfterWordByWord(ActivityGate::Start::Export,
                                           [&windows, format] { StartExport(windows, format); });
    };
    const MainToolBar &tools = main.ToolBar();
    QObject::connect(tools.wav, &QToolButton::clicked, &main, [start] { start(ExportFormat::Wav); });
    QObject::connect(tools.mp3, &QToolButton::clicked, &main, [start] { start(ExportFormat::Mp3); });
    main.SetCommandHandler(WindowCommandId::kSaveWav, [start] { start(ExportFormat::Wav); });
    main.SetCommandHandler(WindowCommandId::kSaveMp3, [start] { start(ExportFormat::Mp3); });
    main.SetCommandHandler(WindowCommandId::kSaveOpus, [start] { start(ExportFormat::Opus); });
    QObject::connect(tools.nomFitxer, &QLineEdit::textChanged, &main,
                     [&main, &exporter] { UpdateExportControls(main, exporter.Busy()); });
    QObject::connect(&exporter, &AudioExporter::busyChanged, windows.gate.get(), &ActivityGate::SetExporting);
    QObject::connect(windows.gate.get(), &ActivityGate::changed, &main, [&windows] { UpdateBusyControls(windows); });
    QObject::connect(&exporter, &AudioExporter::statusText, &main, &FormPrincipal::ShowStatus);
    QObject::connect(&exporter, &AudioExporter::finished, &main, [&windows](const ExportResult &result) {
        // Once the program is closing there is no one left to tell.
        if (AppClosing())
            return;
        FormPrincipal &window = *windows.main;
        if (!result.notice.isEmpty())
            window.ShowStatus(result.notice);
        // Announced to a screen reader in the interface language; heard in the program's
        // voice only when no screen reader says it, and there is a voice to say it.
        AnnounceStatus(&window, ExportEndText(windows.languages->LanguageIndex(), result));
        if (!windows.speech->VoiceEntries().isEmpty() && !ScreenReaderEnabled())
            windows.speech->SpeakText(ExportEndSentence(result));
        if (!result.ok)
            window.Questions().Message(result.reason);
    });
    UpdateExportControls(main, false);
}

void ConnectReading(ProgramWindows &windows)
{
    FormPrincipal &main = *windows.main;
    windows.oneHand = std::make_unique<OneHandKeyboard>(main.Edit(), *windows.settings, *windows.readingOptions);
    windows.oneHand->BindMenuItem(main.ActionFor(WindowCommandId::kOneHandKeyboard));
    QObject::connect(windows.oneHand.get(), &OneHandKeyboard::settingsWriteFailed, &main,
                     [&main](const QString &message) { main.Questions().Message(message); });
    windows.oneHand->Start();
    windows.speechWindow->SetOneHandSwitch(windows.oneHand.get());

    windows.triggers = std::make_unique<ReadingTriggers>(main.Edit(), *windows.speech, *windows.readingOptions,
                                                        *windows.oneHand);
    windows.triggers->SetActivityGate(*windows.gate);
    windows.triggers->SetFontCommand([&main] { main.MenuCanviarLaFontClick(); });
    windows.triggers->SetShowSpeechWindow([&windows] { windows.speechWindow->exec(); });
    const MainToolBar &tools = main.ToolBar();
    windows.triggers->ConnectToolbar({tools.lectura, tools.paraulaPerParaula, tools.parar, tools.menu});
    windows.triggers->SetOneWordBox(tools.nomesUnaParaula);

    // The same commands from "&Opcions", for the keyboard and the full-menu mode.
    ReadingTriggers *triggers = windows.triggers.get();
    main.SetCommandHandler(WindowCommandId::kSpeechWindow, [triggers] { triggers->SpeedButtonMenuClick(); });
    // Word by word runs once the menu has closed and the editor has the focus again.
    main.SetCommandHandler(WindowCommandId::kWordByWord, [triggers, &main] {
        QMetaObject::invokeMethod(triggers, [triggers, &main] {
            main.Edit()->setFocus();
            triggers->SpeedButtonParaulaPerParaulaClick();
        }, Qt::QueuedConnection);
    });
    ActivityGate *gate = windows.gate.get();
    main.SetCommandHandler(WindowCommandId::kLanguage, [gate, &windows] {
        gate->StartAfterWordByWord(ActivityGate::Start::Window,
                                   [gate, &windows] { gate->RunModal([&windows] { windows.languages->exec(); }); });
    });
    main.SetCommandHandler(QStringLiteral("font"), [gate, &main] {
        gate->StartAfterWordByWord(ActivityGate::Start::Window,
                                   [gate, &main] { gate->RunModal([&main] { main.MenuCanviarLaFontClick(); }); });
    });

    // The word being heard is highlighted while the editor's texts are read aloud.
    windows.highlight = std::make_unique<SpokenWordHighlight>(main.Edit(), *windows.settings);
    SpokenWordHighlight *highlight = windows.highlight.get();
    highlight->BindMenuItem(main.ActionFor(WindowCommandId::kHighlightSpokenWord));
    QObject::connect(windows.triggers.get(), &ReadingTriggers::readingAloud, highlight, &SpokenWordHighlight::Follow);
    QObject::connect(windows.speech.get(), &SpeechController::wordHeard, highlight, &SpokenWordHighlight::WordHeard);
    QObject::connect(windows.speech.get(), &SpeechController::readingEnded, highlight,
                     &SpokenWordHighlight::ReadingEnded);
}

} // namespace

ProgramWindows::ProgramWindows() = default;

ProgramWindows::~ProgramWindows()
{
    // Whatever reads the editor or speaks goes before the windows it uses.
    exporter.reset();
    launcher.reset();
    triggers.reset();
    highlight.reset();
    oneHand.reset();
    languages.reset();
    speechWindow.reset();
    speech.reset();
    dictionary.reset();
    realEngines.reset();
    main.reset();
    about.reset();
    readingOptions.reset();
    settings.reset();
    gate.reset();
}

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
    const std::optional<int> stored =
        ToInteger(settings.ReadString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"), QStringLiteral("-1")));
    return stored && *stored >= 0 && *stored < VoiceCatalog::EspeakVoices().size();
}

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
    windows->main = std::make_unique<FormPrincipal>(options.paths, settings, windows->about.get());
    FormPrincipal &main = *windows->main;
    windows->desktop = std::make_unique<DBusDesktopWindows>();
    SpeechEngineSet engines;
    // A stored espeak-ng voice needs nothing of the speech service: the window does
    // not wait for the service to start (its voices join the list when it answers).
    const bool waitForService = !StoredVoiceIsEspeak(settings);
    if (options.engines) {
        engines = *options.engines;
    } else {
        windows->realEngines = std::make_unique<RealSpeechEngines>(options.paths.programDir, windows->desktop.get(),
                                                                   waitForService);
        engines = windows->realEngines->Engines();
    }
    windows->dictionary = std::make_unique<FormDiccionariExcepcions>(settings, &main.Questions(),
                                                                    options.paths.programDir);
    windows->speech = std::make_unique<SpeechController>(settings, engines, windows->dictionary.get());
    QObject::connect(windows->speech.get(), &SpeechController::synthesizerMissing, &main, &FormPrincipal::ShowStatus);
    windows->speech->SetUp();
    windows->speechWindow = std::make_unique<FormTTS>(*windows->speech, *windows->dictionary, settings,
                                                        *windows->readingOptions);
    windows->speechWindow->SetHelpAction([about = windows->about.get()] { about->exec(); });
    if (windows->realEngines && !waitForService) {
        QObject::connect(windows->speech.get(), &SpeechController::voiceListChanged, windows->speechWindow.get(),
                         &FormTTS::RefreshVoiceList);
        SpeechController *speech = windows->speech.get();
        windows->realEngines->ServiceVoicesLater(speech, [speech](VoiceEngine *engine) { speech->AddServiceVoices(engine); });
    }
    windows->dictionary->FormCreate();
    windows->languages = std::make_unique<FormLlenguatge>(*windows->speechWindow, &main);
    ConnectReading(*windows);
    windows->launcher = std::make_unique<ProcessRendererLauncher>(options.paths.programDir);
    windows->exporter = std::make_unique<AudioExporter>(options.paths, *windows->desktop, *windows->launcher);
    ConnectAudioExport(*windows);

    // 3. The title with the version label, on both windows.
    main.ComposeTitle(windows->about->VersionText());
    windows->speechWindow->setWindowTitle(main.windowTitle());

    // 4. The reading options.
    RestoreReadingOptions(settings, *windows->readingOptions);

    // 5. The editor font.
    QStringList problems;
    main.ApplyStoredFont(&problems);

    // 6. The command-line file.
    const QString fileName = CommandLineFileName(options.words);
    if (!fileName.isEmpty())
        main.LoadCommandLineFile(fileName);

    // 7. The interface language.
    RestoreInterfaceLanguage(settings, *windows->languages);
    windows->about->SetLanguageIndex(windows->languages->LanguageIndex());
    StoreReadingOptionsAsTheyChange(settings, *windows->readingOptions, *windows->languages,
                                    [&main](const QString &problem) { main.ShowStatus(problem); });

    // Closing stores the reading options and the language, and silences the speech.
    ProgramWindows *owner = windows.get();
    main.SetCloseHandler([owner] {
        owner->triggers->ButtonPararClick();
        const QString problem = StoreReadingOptionsAndLanguage(*owner->settings, *owner->readingOptions,
                                                               *owner->languages);
        if (!problem.isEmpty())
            owner->main->Questions().Message(problem);
    });

    // Settings that could not be used are told once, together, in the status line.
    QStringList unusable = UnusableStartSettings(settings);
    if (!problems.isEmpty())
        unusable.prepend(QStringLiteral("\"Font Missatge\" amb valors no numèrics (%1): s'ha usat el valor per defecte")
                             .arg(problems.join(QStringLiteral(", "))));
    if (!unusable.isEmpty())
        main.ShowStatus(UnusedSettingsNotice(settings.FileName(), unusable));
    // Without a sound server nothing can be heard: say so rather than stay silent.
    else if (windows->realEngines && !windows->realEngines->Audible())
        main.ShowStatus(QStringLiteral("No hi ha cap servidor de so: la veu i els sons no es poden sentir."));

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
