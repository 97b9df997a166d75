#pragma once

struct ProgramWindows;

// Builds the reading view over the editor with its options as stored, adds its submenu to
// "&Opcions", follows the interface language and lets word by word say the syllables.
void ConnectReadingView(ProgramWindows &windows);
