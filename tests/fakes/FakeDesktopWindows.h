#pragma once

#include "platform/DesktopWindows.h"

#include <QList>
#include <QStringList>

#include <functional>

// Windows held in memory, for the tests of the layers above the desktop: every call
// is recorded, and each window may handle its messages and close request.
class FakeDesktopWindows : public DesktopWindows
{
public:
    struct Window
    {
        QString id;
        QString title;
        std::function<void(int)> onMessage;
        std::function<void()> onClose;
    };

    QString AddWindow(const QString &title, std::function<void(int)> onMessage = {},
                      std::function<void()> onClose = {})
    {
        const QString id = QStringLiteral("window%1").arg(++m_sequence);
        windows.append(Window{id, title, std::move(onMessage), std::move(onClose)});
        return id;
    }
    void RemoveWindow(const QString &id)
    {
        windows.removeIf([&](const Window &window) { return window.id == id; });
    }
    bool HasWindow(const QString &id) const { return Find(id) != nullptr; }
    bool WindowExists(const QString &id) override { return HasWindow(id); }

    QString FindWindowByTitle(const QString &part) override
    {
        ++findCalls;
        if (part.isEmpty())
            return QString();
        for (const Window &window : windows)
            if (!window.title.isEmpty() && window.title.contains(part))
                return window.id;
        return QString();
    }
    bool SendWindowMessage(const QString &id, int message) override
    {
        calls << QStringLiteral("message %1").arg(message);
        const Window *window = Find(id);
        if (!window)
            return false;
        if (window->onMessage)
            window->onMessage(message);
        return true;
    }
    bool RequestClose(const QString &id) override
    {
        calls << QStringLiteral("close");
        const Window *window = Find(id);
        if (!window)
            return false;
        const auto onClose = window->onClose;
        RemoveWindow(id);
        if (onClose)
            onClose();
        return true;
    }
    bool SendEnter(const QString &id) override
    {
        calls << QStringLiteral("enter");
        return Find(id) != nullptr;
    }

    QList<Window> windows;
    QStringList calls;
    int findCalls = 0;

private:
    const Window *Find(const QString &id) const
    {
        for (const Window &window : windows)
            if (window.id == id)
                return &window;
        return nullptr;
    }

    int m_sequence = 0;
};
