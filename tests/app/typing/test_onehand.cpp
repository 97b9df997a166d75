#include "tests/app/reading/test_triggers_harness.h"

#include <QKeyEvent>

class TestOneHand : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheTable_data();
    void loadsTheTable();
    void spaceBarTurnsKeysIntoTexts_data();
    void spaceBarTurnsKeysIntoTexts();
    void releasesOfStopKeysAreConsumed();
    void shortcutsWaitWhileTheSpaceBarIsHeld();
    void menuItemSwitchesStoresAndExcludesWordOnSpace();
};

void TestOneHand::loadsTheTable_data()
{
    QTest::addColumn<QStringList>("stored"); // key=value pairs of "teclat amb una ma"
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("keys"); // the entries' key characters, '_' for none
    QTest::addColumn<QString>("lastText");

    QTest::newRow("second key missing") << QStringList{"numero=3", "x(1)=f", "y(1)=hola", "x(3)=Fa", "y(3)=adeu"}
                                        << 3 << "f_F" << "adeu";
    QTest::newRow("not a number") << QStringList{"numero=tres", "x(1)=f"} << 0 << "" << "";
    QTest::newRow("negative") << QStringList{"numero=-2", "x(1)=f"} << 0 << "" << "";
    QTest::newRow("only the first 200") << QStringList{"numero=250", "x(200)=z", "y(200)=zeta", "x(201)=q"}
                                        << 200 << "" << "zeta";
}

void TestOneHand::loadsTheTable()
{
    QFETCH(QStringList, stored);
    QFETCH(int, count);
    QFETCH(QString, keys);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("t.ini")));
    for (const QString &pair : stored)
        settings.WriteString(QStringLiteral("teclat amb una ma"), pair.section(u'=', 0, 0), pair.section(u'=', 1));
    const OneHandMap map = OneHandKeyboard::LoadOneHandMap(settings);
    QCOMPARE(map.size(), count);
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(map.at(i).key, keys.at(i) == u'_' ? QChar() : keys.at(i));
    if (count > 0)
        QTEST(map.last().text, "lastText");
}

// Steps: "S+" space down, "S-" space up, "S*" the space bar repeating, a letter a click
// of that key (a capital one with shift).
void TestOneHand::spaceBarTurnsKeysIntoTexts_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("spoken");

    QTest::newRow("mapped key") << "S+ f S-" << "hola" << QStringList{};
    QTest::newRow("two mapped keys") << "S+ f f S-" << "holahola" << QStringList{};
    QTest::newRow("capital entry") << "S+ F S-" << "ADEU" << QStringList{};
    QTest::newRow("unmapped key, then a blank") << "S+ x S-" << " " << QStringList{};
    QTest::newRow("tap types a blank") << "S+ S-" << " " << QStringList{};
    QTest::newRow("repeat brings the blank back") << "S+ f S* S* S-" << "hola " << QStringList{};
    QTest::newRow("normal typing") << "a S+ S- b" << "a b" << QStringList{"speak:a", "speak:b"};
}

void TestOneHand::spaceBarTurnsKeysIntoTexts()
{
    QFETCH(QString, steps);
    TriggerHarness h;
    QVERIFY(h.Show());
    // The entry with no key never matches; the capital one does not match small f.
    h.oneHand.SetMap({{QChar(), QStringLiteral("mai")}, {u'F', QStringLiteral("ADEU")}, {u'f', QStringLiteral("hola")}});
    h.oneHand.MenuTeclatAmbUnaMaClick();
    QVERIFY(h.oneHand.OneHandOn());
    h.options.Set(ReadingOption::Letters, true);
    const auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), repeat);
        QCoreApplication::sendEvent(h.edit, &event);
    };
    for (const QString &step : steps.split(u' ')) {
        if (step == QStringLiteral("S+")) {
            send(QEvent::KeyPress, false);
            QCOMPARE(h.oneHand.SpaceState(), SpaceState::Held);
        } else if (step == QStringLiteral("S-")) {
            send(QEvent::KeyRelease, false);
            QCOMPARE(h.oneHand.SpaceState(), SpaceState::Idle);
        } else if (step == QStringLiteral("S*")) {
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
            QCOMPARE(h.oneHand.SpaceState(), SpaceState::Held);
        } else {
            const char c = step.at(0).toLatin1();
            QTest::keyClick(h.edit, c, step.at(0).isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }
    h.Settle();
    QTEST(h.edit->toPlainText(), "text");
    QTEST(h.speech.calls, "spoken");
}

void TestOneHand::releasesOfStopKeysAreConsumed()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    h.SetText(QStringLiteral("text"), 0);
    h.oneHand.MenuTeclatAmbUnaMaClick();
    QTest::keyClick(h.edit, Qt::Key_F7);
    QTest::keyClick(h.edit, Qt::Key_F8);
    h.Settle();
    QCOMPARE(h.speech.calls, QStringList{});
    h.oneHand.MenuTeclatAmbUnaMaClick();
    QTest::keyClick(h.edit, Qt::Key_F7);
    h.Settle();
    QCOMPARE(h.speech.calls, (QStringList{"stop", "speak:text"}));
}

// Keys go through the window as the desktop delivers them, shortcuts first.
void TestOneHand::shortcutsWaitWhileTheSpaceBarIsHeld()
{
    TriggerHarness h;
    QVERIFY(h.Show());
    QAction shortcut;
    shortcut.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    h.window.addAction(&shortcut);
    int runs = 0;
    connect(&shortcut, &QAction::triggered, [&runs] { ++runs; });
    h.oneHand.MenuTeclatAmbUnaMaClick();
    QWindow *window = h.window.windowHandle();

    QTest::keyPress(window, Qt::Key_Space);
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QTest::keyRelease(window, Qt::Key_Space);
    QCOMPARE(runs, 0);
    QCOMPARE(h.edit->toPlainText(), QStringLiteral(" "));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(runs, 1);
}

void TestOneHand::menuItemSwitchesStoresAndExcludesWordOnSpace()
{
    TriggerHarness h;
    const QString menu = QStringLiteral("MENU");
    const QString key = QStringLiteral("MenuTeclatAmbUnaMa.Checked");
    h.settings.WriteString(menu, key, QStringLiteral("true"));
    h.settings.WriteString(QStringLiteral("teclat amb una ma"), QStringLiteral("numero"), QStringLiteral("1"));
    h.oneHand.Start();
    QVERIFY(h.oneHand.OneHandOn());
    QVERIFY(h.menuTeclat->isChecked());
    QCOMPARE(h.oneHand.Map().size(), 1);

    h.menuTeclat->trigger(); // the user's click
    QVERIFY(!h.oneHand.OneHandOn());
    QCOMPARE(h.settings.ReadString(menu, key, QString()), QStringLiteral("false"));
    h.options.Set(ReadingOption::WordOnSpace, true);
    h.oneHand.MenuTeclatAmbUnaMaClick();
    QVERIFY(h.menuTeclat->isChecked());
    QCOMPARE(h.settings.ReadString(menu, key, QString()), QStringLiteral("true"));
    QVERIFY(!h.options.ReadWordOnSpace());

    // The speech window's word-on-space box turns it off the other way.
    h.options.Set(ReadingOption::WordOnSpace, true);
    static_cast<OneHandSwitch &>(h.oneHand).TurnOneHandOff();
    QVERIFY(!h.menuTeclat->isChecked());
    QCOMPARE(h.settings.ReadString(menu, key, QString()), QStringLiteral("false"));
    QVERIFY(h.options.ReadWordOnSpace());
}

QTEST_MAIN(TestOneHand)
#include "test_onehand.moc"
