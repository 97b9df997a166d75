#pragma once

#include "app/menus/ReaderMenuItems.h"

#include <QString>

class FormLlenguatge;
class FormPrincipal;
class FormTTS;
class ReadingSession;

// Hands the reader's menu items to the reading session, and keeps the place where
// reading of a named document stopped in the state file beside the settings file, so
// that opening the document again puts the caret there. Faster and slower move the
// speech window's rate bar; at its ends the status line says so in the interface language.
struct ReaderCommandParts
{
    FormPrincipal &window;
    ReadingSession &session;
    FormTTS &speechWindow;
    const FormLlenguatge &languages;
    QString settingsFile;
};
void ConnectReaderCommands(const ReaderCommandParts &parts);
// What the status line says when the rate bar is at an end already, in an interface
// language (an index of the language list; Catalan outside it).
QString RateLimitText(int language, bool fastest);
