#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "windows/FormTTS.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// The window as orca, the desktop's screen reader, reads it: on a display of the test's
// own, through the accessibility bus of the test's session bus. What orca would say is
// read from its debug log, where every utterance is written as it is handed to speech.
class TestScreenReader : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_orca;
    QString m_log;

    QStringList Said() const
    {
        QFile file(m_log);
        QStringList said;
        if (!file.open(QIODevice::ReadOnly))
            return said;
        static const QRegularExpression line(QStringLiteral("SPEECH OUTPUT: '(.*?)'(?:\\{|$| voice=)"));
        for (const QString &text : QString::fromUtf8(file.readAll()).split(u'\n'))
            if (const QRegularExpressionMatch match = line.match(text); match.hasMatch())
                said << match.captured(1);
        return said;
    }

    // Waits until orca has said something that starts with `text` after its first
    // `from` utterances.
    bool WaitToHear(const QString &text, qsizetype from)
    {
        return QTest::qWaitFor(
            [&] {
                const QStringList said = Said().mid(from);
                return std::any_of(said.begin(), said.end(), [&](const QString &s) { return s.startsWith(text); });
            },
            30000);
    }

private slots:
    void initTestCase()
    {
        const QString orca = QStandardPaths::findExecutable(QStringLiteral("orca"));
        if (orca.isEmpty())
            QFAIL("orca is missing: scripts/install-deps.sh --tests installs it");
        m_log = m_dir.filePath(QStringLiteral("orca.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("C"));
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        m_orca.setProcessEnvironment(environment);
        m_orca.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Its speech is left off: the log says what it would say, and the test's speakers
        // stay quiet. The log is written line by line, so that the test reads each
        // utterance as soon as it is written rather than when a buffer fills.
        const QString lineByLine = QStringLiteral(
            "import builtins, runpy, sys\n"
            "plain_open = builtins.open\n"
            "def line_open(file, mode='r', buffering=-1, *rest, **named):\n"
            "    if buffering == -1 and 'w' in mode and 'b' not in mode:\n"
            "        buffering = 1\n"
            "    return plain_open(file, mode, buffering, *rest, **named)\n"
            "builtins.open = line_open\n"
            "sys.argv = sys.argv[1:]\n"
            "runpy.run_path(sys.argv[0], run_name='__main__')\n");
        // Run by the interpreter its first line names, which has its modules.
        QFile script(orca);
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QString python = QString::fromUtf8(script.readLine().mid(2).trimmed());
        m_orca.start(python, {QStringLiteral("-c"), lineByLine, orca, QStringLiteral("--disable=speech"),
                                                 QStringLiteral("--debug-file=") + m_log});
        QVERIFY(m_orca.waitForStarted());
        QVERIFY2(QTest::qWaitFor(
                     [this] {
                         QFile file(m_log);
                         return file.open(QIODevice::ReadOnly)
                                && file.readAll().contains("ATSPI registry initialized");
                     },
                     60000),
                 "orca did not start");
    }

    void cleanupTestCase()
    {
        m_orca.terminate();
        if (!m_orca.waitForFinished(5000))
            m_orca.kill();
    }

    void init() { ResetProgramAndVoices(); }

    // A check item of "&Opcions" is said with its mark, ticked or not; entering the speech
    // window the chosen voice is said after the list.
    void checkItemsAndTheChosenVoiceAreSaid()
    {
        QTemporaryDir dir;
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"), "[LlibreriaLlegir]\r\nLLENGUA=0\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        QVERIFY(ShowActive(&main));
        EditorWidget *edit = main.Edit();
        edit->setFocus();
        QAction *oneHand = main.ActionFor(WindowCommandId::kOneHandKeyboard);
        QVERIFY(!oneHand->isChecked());

        qsizetype heard = Said().size();
        QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QVERIFY2(WaitToHear(QStringLiteral("Teclat amb una ma check box not checked."), heard),
                 qPrintable(Said().mid(heard).join(u'|')));
        // Ticked in place, the new mark is said on the item.
        heard = Said().size();
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
        QTRY_VERIFY(oneHand->isChecked());
        QVERIFY2(WaitToHear(QStringLiteral("checked"), heard), qPrintable(Said().mid(heard).join(u'|')));
        QTRY_VERIFY(!QApplication::activePopupWidget());

        heard = Said().size();
        QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        // A key at a time, as a person presses them: the reader skips an item left at once.
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QVERIFY2(WaitToHear(QStringLiteral("Ressaltar la paraula que es llegeix check box checked."), heard),
                 qPrintable(Said().mid(heard).join(u'|')));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Up);
        QVERIFY2(WaitToHear(QStringLiteral("Teclat amb una ma check box checked."), heard),
                 qPrintable(Said().mid(heard).join(u'|')));
        // An item that is no switch stays a menu item.
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QVERIFY2(WaitToHear(QStringLiteral("Veu i opcions de lectura..."), heard),
                 qPrintable(Said().mid(heard).join(u'|')));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());

        heard = Said().size();
        FormTTS &speech = *windows->speechWindow;
        auto *voices = speech.findChild<QListWidget *>(QStringLiteral("ListBoxMotorsDeVeu"));
        QVERIFY(voices && voices->count() == 2);
        QVERIFY(ShowActive(&speech));
        speech.activateWindow();
        QTRY_VERIFY(voices->hasFocus());
        const QString chosen = voices->currentItem()->text();
        QVERIFY2(WaitToHear(chosen + u'.', heard), qPrintable(Said().mid(heard).join(u'|')));
        // The entry is said after the list, not drowned by it.
        const QStringList said = Said().mid(heard);
        QVERIFY2(said.lastIndexOf(chosen + u'.') > said.indexOf(QStringLiteral("List with 2 items.")),
                 qPrintable(said.join(u'|')));
        speech.hide();
        main.Document().SetModified(false);
        main.close();
    }
};

namespace {
pid_t g_display = 0;

// A display of the test's own, so that orca hears no other window; false when none starts.
bool StartDisplay()
{
    for (int number = 90 + getpid() % 50; number < 200; ++number) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0)
            continue;
        const std::string display = ":" + std::to_string(number);
        g_display = fork();
        if (g_display == 0) {
            execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char *>(nullptr));
            _exit(127);
        }
        if (g_display < 0)
            return false;
        // Ready once its socket is there; gone when another run took the number first.
        for (int wait = 0; wait < 100; ++wait) {
            if (access(socket.c_str(), F_OK) == 0) {
                setenv("DISPLAY", display.c_str(), 1);
                return true;
            }
            if (waitpid(g_display, nullptr, WNOHANG) == g_display)
                break;
            usleep(100000);
        }
        kill(g_display, SIGTERM);
        waitpid(g_display, nullptr, 0);
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    if (!StartDisplay()) {
        std::fprintf(stderr, "Xvfb did not start: scripts/install-deps.sh installs it\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    // Qt speaks to the accessibility bus whether or not a screen reader has said it runs.
    setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
    int status = 1;
    {
        QApplication app(argc, argv);
        TestScreenReader test;
        status = QTest::qExec(&test, argc, argv);
    }
    kill(g_display, SIGTERM);
    waitpid(g_display, nullptr, 0);
    return status;
}

#include "test_screenreader.moc"
