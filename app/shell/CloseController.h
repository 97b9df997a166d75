#pragma once

#include <memory>

class FormLlenguatge;
class FormPrincipal;
class ReadingOptions;
class ReadingTriggers;
class SeenReadingSettings;
class SettingsStore;

// What the main window's closing does, whichever way it closes ("Sortir", the title bar,
// a logout or a kill): the reading stops, and the reading options and the interface
// language are stored, leaving out a key another copy of the program changed since.
// From its start the options and the language are also stored as they change.
class CloseController
{
public:
    struct Parts
    {
        FormPrincipal &main;
        ReadingTriggers &triggers;
        SettingsStore &settings;
        ReadingOptions &readingOptions;
        FormLlenguatge &languages;
    };
    // Start it once the stored options and language are restored: restoring them writes nothing.
    explicit CloseController(const Parts &parts);
    // The window's closing no longer comes here.
    ~CloseController();

    CloseController(const CloseController &) = delete;
    CloseController &operator=(const CloseController &) = delete;

private:
    void Closing();

    Parts m_parts;
    std::shared_ptr<SeenReadingSettings> m_seen;
};
