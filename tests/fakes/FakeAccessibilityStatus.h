#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

// The accessibility bus's status on the test's session bus, as a desktop gives it with
// a screen reader running or not; gone when destroyed.
class FakeAccessibilityStatus : public QDBusVirtualObject
{
public:
    explicit FakeAccessibilityStatus(bool screenReader) : m_screenReader(screenReader)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_registered = bus.registerService(QStringLiteral("org.a11y.Bus"))
            && bus.registerVirtualObject(QStringLiteral("/org/a11y/bus"), this);
    }
    ~FakeAccessibilityStatus() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QStringLiteral("/org/a11y/bus"));
        bus.unregisterService(QStringLiteral("org.a11y.Bus"));
    }
    bool Registered() const { return m_registered; }

    QString introspect(const QString &) const override { return QString(); }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QList<QVariant> arguments = message.arguments();
        if (message.interface() != QLatin1String("org.freedesktop.DBus.Properties")
            || message.member() != QLatin1String("Get") || arguments.size() != 2
            || arguments[0].toString() != QLatin1String("org.a11y.Status")
            || arguments[1].toString() != QLatin1String("ScreenReaderEnabled"))
            return false;
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(m_screenReader))));
    }

private:
    bool m_screenReader;
    bool m_registered = false;
};
