#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Shows `window` and waits until it is the active window. Where a program may activate
// its own windows it asks for it; on Wayland the compositor activates a window a moment
// after it is exposed, and only that is waited for. The compositor's word reaches the
// platform window before the application hears of it, so the wait is for the
// application's own active and focus windows: only then has a control the focus.
inline bool ShowActive(QWidget *window, int timeout = 5000)
{
    window->show();
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        QApplication::setActiveWindow(window);
        window->activateWindow();
    }
    QWidget *top = window->window();
    return QTest::qWaitFor(
        [top] {
            return QApplication::activeWindow() == top && top->windowHandle()
                   && QGuiApplication::focusWindow() == top->windowHandle();
        },
        timeout);
}
