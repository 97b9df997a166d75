#pragma once

#include "core/SettingsStore.h"

#include <memory>

class AboutBox;
class ActivityGate;
class AudioExporter;
class CloseController;
class DBusDesktopWindows;
class ExportController;
class BookExporter;
class BookExportController;
class FormDiccionariExcepcions;
class FormLlenguatge;
class FormPrincipal;
class FormTTS;
class InterfaceLanguageModel;
class OneHandKeyboard;
class ReadingView;
class ProcessRendererLauncher;
class LanguageReading;
class ReadingController;
class ReadingOptions;
class ReadingTriggers;
class RealSpeechEngines;
class SpeechController;
class SpokenWordHighlight;
class SpellingAssistant;
class CaretEcho;
struct SpeechEngineSet;

// The windows and program-wide objects that live from start-up to the end of the program.
// They go in the reverse order of their declaration: whatever reads the editor or speaks
// goes before the windows it uses, the controllers first.
struct ProgramWindows
{
    ProgramWindows();
    ~ProgramWindows();

    std::unique_ptr<DBusDesktopWindows> desktop;
    // What the program is busy with, asked by every command before it starts.
    std::unique_ptr<ActivityGate> gate;
    // The settings file, one store for everyone who reads or writes it.
    std::unique_ptr<SettingsStore> settings;
    // The reading options the speech window edits and the triggers read.
    std::unique_ptr<ReadingOptions> readingOptions;
    // The interface language the windows follow.
    std::unique_ptr<InterfaceLanguageModel> interfaceLanguage;
    std::unique_ptr<AboutBox> about;
    std::unique_ptr<FormPrincipal> main;
    std::unique_ptr<RealSpeechEngines> realEngines;
    std::unique_ptr<FormDiccionariExcepcions> dictionary;
    std::unique_ptr<SpeechController> speech;
    std::unique_ptr<FormTTS> speechWindow;
    std::unique_ptr<FormLlenguatge> languages;
    std::unique_ptr<OneHandKeyboard> oneHand;
    std::unique_ptr<SpokenWordHighlight> highlight;
    std::unique_ptr<ReadingTriggers> triggers;
    std::unique_ptr<SpellingAssistant> spelling;
    std::unique_ptr<CaretEcho> caretEcho;
    std::unique_ptr<ReadingView> readingView;
    // The voice that follows the language of the text.
    std::unique_ptr<LanguageReading> languageReading;
    std::unique_ptr<ProcessRendererLauncher> launcher;
    std::unique_ptr<AudioExporter> exporter;
    std::unique_ptr<ReadingController> readingController;
    std::unique_ptr<ExportController> exportController;
    std::unique_ptr<BookExporter> bookExporter;
    std::unique_ptr<BookExportController> bookExportController;
    std::unique_ptr<CloseController> closeController;
};
