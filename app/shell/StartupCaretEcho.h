#pragma once

struct ProgramWindows;

// Attaches the caret echo to the program's editor, its menu item and its speech.
void ConnectCaretEcho(ProgramWindows &windows);
