#pragma once

#include "app/shell/ProgramWindows.h"
#include "core/AppPaths.h"

#include <QStringList>

#include <optional>

struct StartupOptions
{
    AppPaths paths;
    // The words of the command line after the program name.
    QStringList words;
    bool splash = true;
    // The speech window shown modally when no voice was ever chosen.
    bool firstRunWindow = true;
    // Engines given by tests; the real ones when not set.
    const SpeechEngineSet *engines = nullptr;
};

// The command-line file: the words joined by one blank each.
QString CommandLineFileName(const QStringList &words);

// The application's name as the desktop and screen readers know it.
void SetProgramIdentity();

// The start-up sequence up to the moment the main window is shown (it sets the identity).
std::unique_ptr<ProgramWindows> StartProgram(const StartupOptions &options);
