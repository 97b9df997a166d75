#pragma once

// Whether the desktop says that a screen reader is running: the accessibility bus's
// "ScreenReaderEnabled". False when there is no session bus or nobody answers.
bool ScreenReaderEnabled();
