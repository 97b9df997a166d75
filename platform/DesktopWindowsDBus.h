#pragma once

#include "platform/DesktopWindows.h"

#include <QObject>
#include <QString>

// The desktop windows of cooperating programs over the D-Bus session bus. Every
// registered "window" owns a bus name under kServicePrefix and answers the calls of
// kInterface on the object path derived from that name. Where no session bus exists,
// nothing is found and every call fails.
namespace DesktopBus {
inline constexpr char kServicePrefix[] = "org.tolvanet.Window.";
inline constexpr char kPathPrefix[] = "/org/tolvanet/Window/";
inline constexpr char kInterface[] = "org.tolvanet.Window";
// Short enough that a window that hangs never freezes the caller for long.
inline constexpr int kTitleTimeoutMs = 500;
inline constexpr int kCallTimeoutMs = 3000;

// The object path of the window that owns the given bus name; empty for another name.
QString PathOfWindow(const QString &window);

class WindowObject;
} // namespace DesktopBus

// Finds windows and sends them messages.
class DBusDesktopWindows : public DesktopWindows
{
public:
    QString FindWindowByTitle(const QString &part) override;
    bool WindowExists(const QString &window) override;
    bool SendWindowMessage(const QString &window, int message) override;
    bool RequestClose(const QString &window) override;
    bool SendEnter(const QString &window) override;

    // Every registered window, in the stable order FindWindowByTitle searches.
    QStringList Windows();

private:
    bool Call(const QString &window, const QString &method, const QVariantList &arguments);
};

// The receiving side: a program publishes one "window" with its title and gets the
// messages, the close request and the Enter key as signals. The signals are emitted
// while the caller waits, so that its call returns only after they have been handled.
class DesktopWindowRegistration : public QObject
{
    Q_OBJECT
public:
    explicit DesktopWindowRegistration(const QString &title, QObject *parent = nullptr);
    ~DesktopWindowRegistration() override;

    // Publishes the window; false (with the reason) when there is no session bus.
    bool Register(QString *error = nullptr);
    void Unregister();
    bool Registered() const { return !m_id.isEmpty(); }
    // The window's id as FindWindowByTitle gives it; empty until registered.
    QString Id() const { return m_id; }
    QString Title() const { return m_title; }
    void SetTitle(const QString &title) { m_title = title; }
    // The bus name of the program whose window message was handled last; empty when
    // the message did not come over the bus.
    QString LastSender() const { return m_sender; }

signals:
    void windowMessage(int message);
    void closeRequested();
    void enterPressed();

private:
    friend class DesktopBus::WindowObject;
    QString m_title;
    QString m_id;
    QString m_sender;
    QObject *m_exported = nullptr;
};

class QDBusServiceWatcher;

// Tells when a program's bus name leaves the session bus: it closed, or died.
class BusNameWatch : public QObject
{
    Q_OBJECT
public:
    // Watches nothing for an empty name or without a session bus.
    explicit BusNameWatch(const QString &name, QObject *parent = nullptr);

signals:
    void gone();

private:
    QDBusServiceWatcher *m_watcher = nullptr;
};
