#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

// Shows `window` and waits until it is the active window. Where a program may activate
// its own windows it asks for it; on Wayland the compositor activates a window a moment
// after it is exposed, and only that is waited for.
inline bool ShowActive(QWidget *window, int timeout = 5000)
{
    window->show();
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        QApplication::setActiveWindow(window);
        window->activateWindow();
    }
    return QTest::qWaitFor([window] { return window->isActiveWindow(); }, timeout);
}
