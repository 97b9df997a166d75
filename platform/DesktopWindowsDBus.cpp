#include "platform/DesktopWindowsDBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>

namespace {

// The design reads at most 254 characters of a window title.
constexpr int kMaxTitleLength = 254;

QDBusConnection SessionBus()
{
    return QDBusConnection::sessionBus();
}

QString LocalName(const QString &window)
{
    const QString prefix = QString::fromLatin1(DesktopBus::kServicePrefix);
    if (!window.startsWith(prefix))
        return QString();
    const QString local = window.mid(prefix.size());
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return valid.match(local).hasMatch() ? local : QString();
}

} // namespace

namespace DesktopBus {

// The object a registration exports; its slots are the calls other programs make.
class WindowObject : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tolvanet.Window")
public:
    explicit WindowObject(DesktopWindowRegistration *owner)
        : QObject(owner), m_owner(owner)
    {
    }

public slots:
    QString Title() { return m_owner->Title(); }
    void Message(int message)
    {
        m_owner->m_sender = calledFromDBus() ? this->message().service() : QString();
        emit m_owner->windowMessage(message);
    }
    void Close() { emit m_owner->closeRequested(); }
    void Enter() { emit m_owner->enterPressed(); }

private:
    DesktopWindowRegistration *m_owner;
};

} // namespace DesktopBus

QString DesktopBus::PathOfWindow(const QString &window)
{
    const QString local = LocalName(window);
    return local.isEmpty() ? QString() : QString::fromLatin1(kPathPrefix) + local;
}

QStringList DBusDesktopWindows::Windows()
{
    QDBusConnection bus = SessionBus();
    if (!bus.isConnected())
        return {};
    const QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    const QDBusMessage reply = bus.call(request, QDBus::Block, DesktopBus::kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QStringList windows;
    for (const QString &name : reply.arguments().constFirst().toStringList())
        if (!LocalName(name).isEmpty())
            windows << name;
    std::sort(windows.begin(), windows.end());
    return windows;
}

QString DBusDesktopWindows::FindWindowByTitle(const QString &part)
{
    if (part.isEmpty())
        return QString();
    QDBusConnection bus = SessionBus();
    for (const QString &window : Windows()) {
        const QDBusMessage request = QDBusMessage::createMethodCall(
            window, DesktopBus::PathOfWindow(window), QString::fromLatin1(DesktopBus::kInterface),
            QStringLiteral("Title"));
        const QDBusMessage reply = bus.call(request, QDBus::Block, DesktopBus::kTitleTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        const QString title = reply.arguments().constFirst().toString().left(kMaxTitleLength);
        if (!title.isEmpty() && title.contains(part, Qt::CaseSensitive))
            return window;
    }
    return QString();
}

bool DBusDesktopWindows::WindowExists(const QString &window)
{
    // A window lives as long as its program holds its bus name.
    QDBusConnection bus = SessionBus();
    if (LocalName(window).isEmpty() || !bus.isConnected())
        return false;
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    request.setArguments({window});
    const QDBusMessage reply = bus.call(request, QDBus::Block, DesktopBus::kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && reply.arguments().constFirst().toBool();
}

bool DBusDesktopWindows::Call(const QString &window, const QString &method, const QVariantList &arguments)
{
    const QString path = DesktopBus::PathOfWindow(window);
    QDBusConnection bus = SessionBus();
    if (path.isEmpty() || !bus.isConnected())
        return false;
    QDBusMessage request = QDBusMessage::createMethodCall(
        window, path, QString::fromLatin1(DesktopBus::kInterface), method);
    request.setArguments(arguments);
    const QDBusMessage reply = bus.call(request, QDBus::Block, DesktopBus::kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool DBusDesktopWindows::SendWindowMessage(const QString &window, int message)
{
    return Call(window, QStringLiteral("Message"), {message});
}

bool DBusDesktopWindows::RequestClose(const QString &window)
{
    return Call(window, QStringLiteral("Close"), {});
}

bool DBusDesktopWindows::SendEnter(const QString &window)
{
    return Call(window, QStringLiteral("Enter"), {});
}

DesktopWindowRegistration::DesktopWindowRegistration(const QString &title, QObject *parent)
    : QObject(parent), m_title(title)
{
}

DesktopWindowRegistration::~DesktopWindowRegistration()
{
    Unregister();
}

bool DesktopWindowRegistration::Register(QString *error)
{
    if (Registered())
        return true;
    QDBusConnection bus = SessionBus();
    if (!bus.isConnected()) {
        if (error)
            *error = QStringLiteral("no D-Bus session bus: %1").arg(bus.lastError().message());
        return false;
    }
    static std::atomic<int> sequence{0};
    const QString local = QStringLiteral("w%1_%2").arg(QCoreApplication::applicationPid()).arg(++sequence);
    const QString id = QString::fromLatin1(DesktopBus::kServicePrefix) + local;
    const QString path = QString::fromLatin1(DesktopBus::kPathPrefix) + local;
    if (!m_exported)
        m_exported = new DesktopBus::WindowObject(this);
    if (!bus.registerObject(path, m_exported, QDBusConnection::ExportAllSlots)) {
        if (error)
            *error = QStringLiteral("cannot publish %1 on the session bus").arg(path);
        return false;
    }
    if (!bus.registerService(id)) {
        bus.unregisterObject(path);
        if (error)
            *error = QStringLiteral("cannot own %1 on the session bus: %2").arg(id, bus.lastError().message());
        return false;
    }
    m_id = id;
    return true;
}

void DesktopWindowRegistration::Unregister()
{
    if (!Registered())
        return;
    QDBusConnection bus = SessionBus();
    bus.unregisterService(m_id);
    bus.unregisterObject(DesktopBus::PathOfWindow(m_id));
    m_id.clear();
}

BusNameWatch::BusNameWatch(const QString &name, QObject *parent) : QObject(parent)
{
    QDBusConnection bus = SessionBus();
    if (name.isEmpty() || !bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(name, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &BusNameWatch::gone);
    // Gone before the watch began: told as soon as the caller can hear it.
    if (bus.interface() && !bus.interface()->isServiceRegistered(name).value())
        QMetaObject::invokeMethod(this, &BusNameWatch::gone, Qt::QueuedConnection);
}

#include "DesktopWindowsDBus.moc"
