#pragma once

struct ProgramWindows;

// Connects the recogniser to the window: scanned pages and pictures are read in the
// voice's language and the interface language, and F9 reads a picture on the clipboard.
void ConnectPictureReading(ProgramWindows &windows);
