#pragma once

#include "app/AppPaths.h"

#include <QStringList>

#include <memory>

class AboutBox;
class FormPrincipal;

// The windows that live from start-up to the end of the program.
struct ProgramWindows
{
    std::unique_ptr<AboutBox> about;
    std::unique_ptr<FormPrincipal> main;
    ~ProgramWindows();
};

struct StartupOptions
{
    AppPaths paths;
    // The words of the command line after the program name.
    QStringList words;
    bool splash = true;
};

// The command-line file: the words joined by one blank each.
QString CommandLineFileName(const QStringList &words);

// The start-up sequence up to the moment the main window is shown.
std::unique_ptr<ProgramWindows> StartProgram(const StartupOptions &options);
