#pragma once

#include <QString>

// Top-level windows of cooperating programs, found by their titles. On Linux a
// cooperating program registers a "window" with its title on the D-Bus session bus;
// messages and the close request are synchronous calls that return once handled.
class DesktopWindows
{
public:
    virtual ~DesktopWindows() = default;

    // What a binding must provide.
    // The first window, in a stable order, whose non-empty title contains part exactly
    // (case-sensitive); an empty id when none, or when part is empty.
    virtual QString FindWindowByTitle(const QString &part) = 0;
    // Whether the window with that id is still open, whatever other windows share its title.
    virtual bool WindowExists(const QString &window) = 0;
    // A window message (1025, 1032); false when the window cannot be reached.
    virtual bool SendWindowMessage(const QString &window, int message) = 0;
    virtual bool RequestClose(const QString &window) = 0;
    // Brings the window to the foreground and presses and releases Enter in it.
    virtual bool SendEnter(const QString &window) = 0;
};
