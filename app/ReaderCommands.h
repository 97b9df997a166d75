#pragma once

#include <QString>

class CommandMenu;
class FormPrincipal;
class ReadingPlace;

// The reader's commands of "&Opcions": read from the caret (Shift+F7), pause and go on
// (F12), next and previous sentence (Alt+Right, Alt+Left).
namespace ReaderCommandId {
inline constexpr char kReadFromCaret[] = "read-from-caret";
inline constexpr char kPauseOrGoOn[] = "pause-or-go-on";
inline constexpr char kNextSentence[] = "next-sentence";
inline constexpr char kPreviousSentence[] = "previous-sentence";
} // namespace ReaderCommandId

// Registers the items in the options menu, in menu order.
void AddReaderCommands(CommandMenu &options);
// Gives the items and the keys their handlers, and keeps the place where reading of a
// named document stopped in the state file beside the settings file, so that opening
// the document again puts the caret there.
void ConnectReaderCommands(FormPrincipal &window, ReadingPlace &place, const QString &settingsFile);
