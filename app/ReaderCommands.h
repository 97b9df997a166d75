#pragma once

#include <QString>

class CommandMenu;
class FormLlenguatge;
class FormPrincipal;
class FormTTS;
class ReadingPlace;

// The reader's commands of "&Opcions": read from the caret (Shift+F7), pause and go on
// (F12), next and previous sentence (Alt+Right, Alt+Left), faster and slower (Alt+Up,
// Alt+Down).
namespace ReaderCommandId {
inline constexpr char kReadFromCaret[] = "read-from-caret";
inline constexpr char kPauseOrGoOn[] = "pause-or-go-on";
inline constexpr char kNextSentence[] = "next-sentence";
inline constexpr char kPreviousSentence[] = "previous-sentence";
inline constexpr char kFaster[] = "faster";
inline constexpr char kSlower[] = "slower";
} // namespace ReaderCommandId

// Registers the items in the options menu, in menu order.
void AddReaderCommands(CommandMenu &options);
// Gives the items and the keys their handlers, and keeps the place where reading of a
// named document stopped in the state file beside the settings file, so that opening
// the document again puts the caret there. Faster and slower move the speech window's
// rate bar; at its ends the status line says so in the interface language.
struct ReaderCommandParts
{
    FormPrincipal &window;
    ReadingPlace &place;
    FormTTS &speechWindow;
    const FormLlenguatge &languages;
    QString settingsFile;
};
void ConnectReaderCommands(const ReaderCommandParts &parts);
// What the status line says when the rate bar is at an end already, in an interface
// language (an index of the language list; Catalan outside it).
QString RateLimitText(int language, bool fastest);
