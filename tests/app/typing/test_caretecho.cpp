#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// "Llegir en moure el cursor" as a reader who does not see the text meets it: the keys
// through the window, what the voice is asked to say.
class TestCaretEcho : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    // What the voice was asked since the log was cleared: "skip" for speech cut short.
    QStringList Heard() const
    {
        QStringList heard;
        for (const QString &call : m_log)
            if (call.startsWith(QStringLiteral("msp:speak:")))
                heard << call.mid(10);
            else if (call == QStringLiteral("msp:skip"))
                heard << QStringLiteral("skip");
        return heard;
    }

    // Presses the key and waits for what it says.
    void Press(QWidget *edit, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &said)
    {
        m_log.clear();
        QTest::keyClick(edit, key, modifiers);
        QTRY_COMPARE(Heard(), QStringList({QStringLiteral("skip"), said}));
    }

private slots:
    void init() { ResetProgramAndVoices(); }

    void movesAndDeletionsAreSaid()
    {
        QTemporaryDir dir;
        // The Catalan interface, whose words name what cannot be heard.
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"), "[LlibreriaLlegir]\r\nLLENGUA=0\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        QVERIFY(ShowActive(&main));
        EditorWidget *edit = main.Edit();
        edit->setFocus();
        main.Document().SetText(QStringLiteral("Bon dia, gent\n\nfinal"));
        QAction *item = main.ActionFor(WindowCommandId::kCaretEcho);
        QVERIFY(item && item->isCheckable());

        // Off until switched on: the arrows say nothing.
        QVERIFY(!item->isChecked());
        m_log.clear();
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Right);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        QCOMPARE(Heard(), QStringList());

        // Switched on from "&Opcions" by its letter; the switch is kept.
        QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_M);
        QTRY_VERIFY(item->isChecked());
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(windows->settings->ReadString("LlibreriaLlegir", "LLEGIR CURSOR", "?"), QStringLiteral("SI"));

        // The first echo has nothing to cut; the Backspace above took the "B".
        m_log.clear();
        QTest::keyClick(edit, Qt::Key_Right);
        QTRY_COMPARE(Heard(), QStringList({QStringLiteral("n")}));
        // Each echo cuts the one before it.
        Press(edit, Qt::Key_Right, Qt::ControlModifier, QStringLiteral("dia"));
        Press(edit, Qt::Key_Right, Qt::NoModifier, QStringLiteral("i"));
        Press(edit, Qt::Key_End, Qt::NoModifier, QStringLiteral("on dia, gent"));
        Press(edit, Qt::Key_Right, Qt::NoModifier, QStringLiteral("salt de línia"));
        Press(edit, Qt::Key_Down, Qt::NoModifier, QStringLiteral("final"));
        Press(edit, Qt::Key_Up, Qt::NoModifier, QStringLiteral("línia en blanc"));
        Press(edit, Qt::Key_Home, Qt::ControlModifier, QStringLiteral("on dia, gent"));
        Press(edit, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("o"));
        Press(edit, Qt::Key_End, Qt::NoModifier, QStringLiteral("n dia, gent"));
        Press(edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("t"));
        Press(edit, Qt::Key_Backspace, Qt::ControlModifier, QStringLiteral("gen"));
        Press(edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("espai"));
        Press(edit, Qt::Key_Down, Qt::NoModifier, QStringLiteral("línia en blanc"));
        Press(edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("salt de línia"));
        QCOMPARE(edit->toPlainText(), QStringLiteral("n dia,\nfinal"));
        // Moves that select are left to the selection's own reading.
        m_log.clear();
        QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        QCOMPARE(Heard(), QStringList());

        // A reading of the document is never cut, and the caret says nothing over it.
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_VERIFY(m_log.join(u'|').contains(QStringLiteral("final")));
        m_log.clear();
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        QCOMPARE(Heard(), QStringList());
        // Once the reading is stopped, the caret is heard again.
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY(Heard().contains(QStringLiteral("skip")));
        m_log.clear();
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QTRY_COMPARE(Heard(), QStringList({QStringLiteral("n di,")}));

        main.Document().SetModified(false);
        main.close();
    }
};

QTEST_MAIN(TestCaretEcho)
#include "test_caretecho.moc"
