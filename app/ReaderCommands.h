#pragma once

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
// Gives the items and the keys their handlers.
void ConnectReaderCommands(FormPrincipal &window, ReadingPlace &place);
