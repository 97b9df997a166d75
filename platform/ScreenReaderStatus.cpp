#include "platform/ScreenReaderStatus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

bool ScreenReaderEnabled()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    question << QStringLiteral("org.a11y.Status") << QStringLiteral("ScreenReaderEnabled");
    // A desktop without the accessibility bus running has no screen reader: the bus is
    // not started for this question.
    question.setAutoStartService(false);
    // Asked when something is about to be said: a bus that does not answer soon is taken
    // as no screen reader, and the program's own voice speaks.
    const QDBusMessage answer = bus.call(question, QDBus::Block, 500);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return false;
    return answer.arguments().first().value<QDBusVariant>().variant().toBool();
}
