#include "app/documents/RecoveryCopy.h"
#include "app/find/FindDialogs.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/ReadingOptions.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "windows/FormLlenguatge.h"
#include "windows/InterfaceLanguages.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// What a user expects of any desktop program: settings kept whenever it ends, undo that
// leaves the caret at the edit, a window that fits the screen.
class TestWindowHabits : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    static QString Read(const QString &path, const QString &key)
    {
        return SettingsStore(path).ReadString(QStringLiteral("LlibreriaLlegir"), key, QStringLiteral("(none)"));
    }

    static void CloseWithoutSaving(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        QVERIFY(windows.main->close());
    }

    // True once the process has put its own handler on SIGTERM (Linux's /proc says so).
    static bool CatchesTerm(qint64 pid)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return false;
    }

private slots:
    void init() { ResetProgramAndVoices(); }

    void optionsAndLanguageAreStoredTheMomentTheyChange()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("tolvanet.ini");
        QVERIFY(WriteWholeFile(ini, "[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=1\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        windows->readingOptions->Set(ReadingOption::Letters, true);
        QCOMPARE(Read(ini, "LLEGIR LLETRES"), QString("SI"));
        windows->readingOptions->Set(ReadingOption::ReadAll, false);
        QCOMPARE(Read(ini, "F7"), QString("NO"));
        windows->languages->SetLanguageIndex(2);
        windows->languages->ListBoxLlenguatgeClick();
        QCOMPARE(Read(ini, "LLENGUA"), QString("2"));
        CloseWithoutSaving(*windows);
    }

    void aLogoutClosesAsTheUserDoesAndKeepsTheSettings_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("editor, SIGTERM") << QByteArray("[tts]\nNumero sintetitzador=0\n[LlibreriaLlegir]\nLLENGUA=3\n")
                                         << int(SIGTERM);
        QTest::newRow("editor, SIGHUP") << QByteArray("[tts]\nNumero sintetitzador=0\n[LlibreriaLlegir]\nLLENGUA=3\n")
                                        << int(SIGHUP);
        // No voice chosen yet: the first-run speech window is open.
        QTest::newRow("first-run window") << QByteArray("[LlibreriaLlegir]\nLLENGUA=3\n") << int(SIGTERM);
    }

    void aLogoutClosesAsTheUserDoesAndKeepsTheSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, signalNumber);
        QTemporaryDir dir;
        // A portable copy of the editor: its settings file beside it.
        const QString program = dir.filePath("tolvanet");
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/tolvanet", program));
        const QString ini = dir.filePath("tolvanet.ini");
        QVERIFY(WriteWholeFile(ini, settings));

        QProcess editor;
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.start(program, {});
        QVERIFY(editor.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesTerm(editor.processId()), 60000);
        ::kill(pid_t(editor.processId()), signalNumber);
        QVERIFY(editor.waitForFinished(60000));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), 0);
        // The close stored the reading options and the language, as "Sortir" does.
        QCOMPARE(Read(ini, "LLENGUA"), QString("3"));
        QCOMPARE(Read(ini, "F7"), QString("SI"));
    }

    void undoAfterAToolLeavesTheCaretAtItsEdit_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("calc") << "calc" << "7 - 2 - 1";
        QTest::newRow("solve") << "solve" << "2x=4";
        QTest::newRow("html-strong") << "html-bold" << "paraula";
    }

    void undoAfterAToolLeavesTheCaretAtItsEdit()
    {
        QFETCH(QString, command);
        QFETCH(QString, lastLine);
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        EditorText &document = lone.window.Document();
        const QString text = QStringLiteral("primera línia\nsegona línia\n") + lastLine;
        document.SetText(text);
        document.Select(document.LineStart(2), command.startsWith("html") ? int(lastLine.size()) : 0);
        lone.window.RunCommandById(command);
        QVERIFY(document.Text() != text);

        EditorWidget *edit = lone.window.Edit();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.Text(), text);
        QVERIFY2(document.SelStart() >= document.LineStart(2),
                 qPrintable(QStringLiteral("caret at %1").arg(document.SelStart())));
    }

    void theWindowOpensWhollyOnTheScreen()
    {
        if (QGuiApplication::platformName() == QLatin1String("wayland"))
            QSKIP("On Wayland the compositor places the window; the program never learns where.");
        QTemporaryDir dir;
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QRect available = main.screen()->availableGeometry();
        QVERIFY2(available.contains(main.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(main.frameGeometry().x())
                                .arg(main.frameGeometry().y())
                                .arg(main.frameGeometry().width())
                                .arg(main.frameGeometry().height())));
        CloseWithoutSaving(*windows);
    }

    // The replace dialog, opened again after a button had the focus, takes typing in its
    // find field; an empty replacement deletes every match, taken back by one undo.
    void theReplaceDialogTakesTheFindTextEveryTime()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &main = lone.window;
        main.show();
        QVERIFY(ShowActive(&main));
        const QString text = QStringLiteral("la casa, la mare i la filla");
        main.Document().SetText(text);
        main.Document().Select(0, 0);
        auto *replace = [&] {
            main.ActionFor(QStringLiteral("replace"))->trigger();
            auto *dialog = main.findChild<QDialog *>(QStringLiteral("ReplaceDialog1"));
            QApplication::setActiveWindow(dialog);
            return dialog;
        }();
        QVERIFY(ShowActive(replace));
        QTest::keyClicks(QApplication::focusWidget(), "la ");
        QTest::keyClick(replace, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(main.Document().SelectedText(), QStringLiteral("la "));
        QTest::keyClick(replace, Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(main.Document().Text(), QStringLiteral("casa, mare i filla"));
        // Left on a button, as Tab and Space leave it.
        replace->findChild<QWidget *>(QStringLiteral("ButtonBuscarSeguent"))->setFocus();

        replace->hide();
        main.ActionFor(QStringLiteral("replace"))->trigger();
        QVERIFY(ShowActive(replace));
        auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(field);
        QCOMPARE(field->objectName(), QStringLiteral("EditBuscar"));
        QCOMPARE(field->selectedText(), QStringLiteral("la "));
        replace->hide();
        main.Edit()->undo();
        QCOMPARE(main.Document().Text(), text);
        main.Document().SetModified(false);
        main.close();
    }

    // Each caption of the replace dialog has an Alt letter of its own in every language.
    void theReplaceDialogsAltLettersDiffer()
    {
        QWidget owner;
        ReplaceDialog dialog(&owner);
        for (int language = 0; language < kLanguageCount; ++language) {
            owner.setProperty(kInterfaceLanguageProperty, language);
            QCoreApplication::sendEvent(&dialog, new QEvent(QEvent::LanguageChange));
            QMap<QChar, QString> letters;
            for (QWidget *control : dialog.findChildren<QWidget *>()) {
                QString caption;
                if (auto *label = qobject_cast<QLabel *>(control))
                    caption = label->text();
                else if (auto *button = qobject_cast<QAbstractButton *>(control))
                    caption = button->text();
                const qsizetype at = caption.indexOf(QLatin1Char('&'));
                if (at < 0 || at + 1 >= caption.size())
                    continue;
                const QChar letter = caption.at(at + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(QStringLiteral("language %1: %2 and %3")
                                                                   .arg(language)
                                                                   .arg(letters.value(letter), caption)));
                letters.insert(letter, caption);
            }
            QCOMPARE(letters.size(), 8);
        }
    }

    // The open and save dialogs start beside the document, else where the last one chose,
    // else in the documents folder; the last folder outlives the program.
    void theFileDialogsStartWhereTheUserWorks()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("classe"));
        const QString folder = dir.filePath("classe");
        const QString letter = folder + "/carta.txt";
        QVERIFY(WriteWholeFile(letter, "Benvolguda\r\n"));
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(documents).isDir())
            documents = QDir::homePath();
        const AppPaths paths = AppPaths::InDirectory(dir.path());
        SettingsStore settings(paths.settingsFile);
        auto window = std::make_unique<FormPrincipal>(paths, settings, nullptr, nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Runs a command whose file dialog gives where it started and chooses `file` (none: cancel).
        auto startOf = [&](FormPrincipal &main, const QString &command, const QString &file = QString()) {
            QString started;
            QTimer answer;
            connect(&answer, &QTimer::timeout, this, [&] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                auto *name = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
                if (!dialog || !dialog->isVisible() || !name)
                    return;
                answer.stop();
                started = QFileInfo(dialog->directory().absolutePath()).canonicalFilePath();
                if (file.isEmpty()) {
                    dialog->reject();
                    return;
                }
                // As a user chooses: the name typed into the file name box. selectFile()
                // leaves that box alone once it has the focus, which comes whenever the
                // window system activates the dialog: the dialog would stay open.
                name->setText(file);
                QMetaObject::invokeMethod(dialog, "accept");
                // One that did not take it fails the test instead of waiting forever.
                if (dialog->isVisible()) {
                    qWarning("the file dialog did not take %s", qPrintable(file));
                    started.clear();
                    dialog->reject();
                }
            });
            answer.start(20);
            main.RunCommandById(command);
            return started;
        };
        const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
        QCOMPARE(startOf(*window, "open", letter), QFileInfo(documents).canonicalFilePath());
        QCOMPARE(window->Documents().CurrentFileName(), letter);
        QCOMPARE(startOf(*window, "save-as"), canonicalFolder);
        QCOMPARE(startOf(*window, "open"), canonicalFolder);
        window->RunCommandById("new");
        QCOMPARE(startOf(*window, "save-as"), canonicalFolder);
        window->close();
        window.reset();

        ResetProgramAndVoices();
        SettingsStore again(paths.settingsFile);
        FormPrincipal next(paths, again, nullptr, nullptr);
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QCOMPARE(startOf(next, "open"), canonicalFolder);
        next.close();
    }

    // A crash after typing: the next start offers the text back whole; No keeps it for later.
    void unsavedTextComesBackAfterACrash_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void unsavedTextComesBackAfterACrash()
    {
        QFETCH(bool, recover);
        QTemporaryDir dir;
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n"));
        QDir copies(dir.filePath("recovery"));
        const QString typed = QStringLiteral("Un text de l'alumne, sense guardar");
        {
            auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
            EditorWidget *edit = windows->main->Edit();
            edit->setFocus();
            QTest::keyClicks(edit, typed);
            QTRY_COMPARE_WITH_TIMEOUT(copies.entryList(QDir::Files).size(), 1, 20000);
            // The program ends without closing, as a crash or a kill -9 ends it.
            windows->main->Recovery()->WriteNow();
        }
        ResetProgramAndVoices();

        // The question is answered as a user does, by the box's button.
        QString asked;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text();
            box->button(recover ? QMessageBox::Yes : QMessageBox::No)->click();
            answer.stop();
        });
        answer.start(20);
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        // No language was stored: the interface, and the question, are Spanish.
        QVERIFY2(asked.startsWith(QStringLiteral("Hay una copia de un texto que no se guardó")), qPrintable(asked));
        EditorText &document = windows->main->Document();
        if (recover) {
            QCOMPARE(document.Text(), typed);
            QVERIFY(document.Modified());
        } else {
            QCOMPARE(document.Text(), QString());
            QCOMPARE(copies.entryList(QDir::Files).size(), 1);
        }
        // Saved or given up, this run's copy goes.
        CloseWithoutSaving(*windows);
        windows.reset();
        QTRY_COMPARE(copies.entryList(QDir::Files).size(), recover ? 0 : 1);
    }
};

QTEST_MAIN(TestWindowHabits)
#include "test_windowhabits.moc"
