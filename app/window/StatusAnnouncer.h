#pragma once

class QMainWindow;
class QString;

// Shows `text` in a line of the window's status bar that never takes the focus and that
// a screen reader reads out as a notification each time it is set.
void AnnounceStatus(QMainWindow *window, const QString &text);
// Shows `text` in that line without announcing it: for a running count, which a screen
// reader would otherwise read out at every step.
void ShowStatusQuietly(QMainWindow *window, const QString &text);
