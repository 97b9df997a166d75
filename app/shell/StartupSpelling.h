#pragma once

#include <QString>

struct ProgramWindows;
class WavePlayer;

// The tone after a misspelled word, shipped beside the program.
inline constexpr char kSpellingToneFile[] = "spelling-tone.wav";

// Attaches spelling to the editor once the reading triggers are connected: the marks,
// the "Revisar l'ortografia" switch, the dictionary of the voice's language, the tone
// after a misspelled word echoed (played by tonePlayer), Ctrl+F12 and the menu of a marked word.
void ConnectSpelling(ProgramWindows &windows, const QString &programDir, WavePlayer *tonePlayer);
