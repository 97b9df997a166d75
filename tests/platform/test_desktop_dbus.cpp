#include "platform/DesktopWindowsDBus.h"

#include <QDBusConnection>
#include <QTest>

class TestDesktopDBus : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no D-Bus session bus on this machine");
    }

    void findsWindowsByExactPartOfTitle_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("found");
        QTest::newRow("beginning") << "SonnerixaWav - Projecte" << true;
        QTest::newRow("middle") << "Projecte Quimbo 2013" << true;
        QTest::newRow("whole") << "SonnerixaWav - Projecte Quimbo 2013 - test" << true;
        QTest::newRow("other case") << "sonnerixawav" << false;
        QTest::newRow("longer than the title") << "SonnerixaWav - Projecte Quimbo 2013 - test!" << false;
        QTest::newRow("empty part") << "" << false;
    }
    void findsWindowsByExactPartOfTitle()
    {
        QFETCH(QString, part);
        QFETCH(bool, found);
        DesktopWindowRegistration window(QStringLiteral("SonnerixaWav - Projecte Quimbo 2013 - test"));
        QString error;
        QVERIFY2(window.Register(&error), qPrintable(error));
        DBusDesktopWindows desktop;
        QCOMPARE(desktop.FindWindowByTitle(part), found ? window.Id() : QString());
    }

    void unregisteredWindowIsGone()
    {
        DBusDesktopWindows desktop;
        QString id;
        {
            DesktopWindowRegistration window(QStringLiteral("a passing window"));
            QVERIFY(window.Register());
            id = window.Id();
            QCOMPARE(desktop.FindWindowByTitle(QStringLiteral("passing")), id);
            QVERIFY(desktop.WindowExists(id));
        }
        QVERIFY(desktop.FindWindowByTitle(QStringLiteral("passing")).isEmpty());
        QVERIFY(!desktop.WindowExists(id));
        QVERIFY(!desktop.SendWindowMessage(id, 1025));
        QVERIFY(!desktop.RequestClose(id));
    }

    void firstOfSeveralMatchesIsStable()
    {
        DesktopWindowRegistration first(QStringLiteral("twin window"));
        DesktopWindowRegistration second(QStringLiteral("twin window"));
        QVERIFY(first.Register());
        QVERIFY(second.Register());
        DBusDesktopWindows desktop;
        const QStringList order = desktop.Windows();
        QVERIFY(order.contains(first.Id()) && order.contains(second.Id()));
        const QString expected = order.indexOf(first.Id()) < order.indexOf(second.Id()) ? first.Id() : second.Id();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(desktop.FindWindowByTitle(QStringLiteral("twin")), expected);
        second.Unregister();
        QCOMPARE(desktop.FindWindowByTitle(QStringLiteral("twin")), first.Id());
    }

    void messagesAndCloseAreHandledBeforeTheCallReturns()
    {
        DesktopWindowRegistration window(QStringLiteral("receiver"));
        QVERIFY(window.Register());
        QStringList handled;
        connect(&window, &DesktopWindowRegistration::windowMessage, this,
                [&](int message) { handled << QString::number(message); });
        connect(&window, &DesktopWindowRegistration::closeRequested, this, [&] { handled << "close"; });
        connect(&window, &DesktopWindowRegistration::enterPressed, this, [&] { handled << "enter"; });
        DBusDesktopWindows desktop;
        QVERIFY(desktop.SendWindowMessage(window.Id(), 1025));
        QCOMPARE(handled, QStringList{"1025"});
        QVERIFY(desktop.SendWindowMessage(window.Id(), 1032));
        QVERIFY(desktop.SendEnter(window.Id()));
        QVERIFY(desktop.RequestClose(window.Id()));
        QCOMPARE(handled, (QStringList{"1025", "1032", "enter", "close"}));
    }

    void foreignBusNamesAreNeverWindows()
    {
        QCOMPARE(DesktopBus::PathOfWindow(QStringLiteral("org.tolvanet.Window.w12_3")),
                 QStringLiteral("/org/tolvanet/Window/w12_3"));
        QVERIFY(DesktopBus::PathOfWindow(QStringLiteral("org.freedesktop.DBus")).isEmpty());
        QVERIFY(DesktopBus::PathOfWindow(QStringLiteral("org.tolvanet.Window.a.b")).isEmpty());
        DBusDesktopWindows desktop;
        QVERIFY(!desktop.SendWindowMessage(QStringLiteral("org.freedesktop.DBus"), 1025));
        QVERIFY(!desktop.WindowExists(QStringLiteral("org.freedesktop.DBus")));
        for (const QString &name : desktop.Windows())
            QVERIFY(name.startsWith(QLatin1String(DesktopBus::kServicePrefix)));
    }
};

QTEST_GUILESS_MAIN(TestDesktopDBus)
#include "test_desktop_dbus.moc"
