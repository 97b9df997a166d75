#pragma once

class CommandMenu;

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
