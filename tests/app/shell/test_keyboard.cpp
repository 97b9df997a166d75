#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "export/AudioExporter.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/FakeAccessibilityStatus.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "windows/FormTTS.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QToolBar>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

// The whole program driven by the keyboard alone, as a user who cannot use the mouse
// or see the screen does it, in both menu modes.
class TestKeyboard : public QObject
{
    Q_OBJECT

    QStringList m_log;
    std::unique_ptr<FakeVoiceEngine> m_voices;
    SpeechEngineSet m_engines;
    QTemporaryDir m_dir;
    std::unique_ptr<ProgramWindows> m_windows;
    // Owns the timers of one test case.
    std::unique_ptr<QObject> m_case;

    FormPrincipal &Main() { return *m_windows->main; }

    bool Start(const QByteArray &settings)
    {
        QFile file(m_dir.filePath("tolvanet.ini"));
        if (!file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size())
            return false;
        file.close();
        m_windows = StartProgram(TestStartupOptions(m_dir.path(), &m_engines));
        if (!ShowActive(&Main()))
            return false;
        Main().Edit()->setFocus();
        return Main().Edit()->hasFocus();
    }

    // A key pressed and released where the focus is. When a dialog has closed, the
    // desktop gives the activation back to the window under it first.
    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::activePopupWidget();
        if (!target && !QApplication::activeModalWidget()) {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (qobject_cast<FormPrincipal *>(window) && QApplication::activeWindow() != window)
                    QApplication::setActiveWindow(window);
        }
        if (!target)
            target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    // Runs `act` on the next modal window, once it is shown and active.
    void WhenModal(std::function<void(QWidget *)> act)
    {
        auto *timer = new QTimer(m_case.get());
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, act] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            QApplication::setActiveWindow(modal);
            act(modal);
        });
        timer->start();
    }

    // Opens "&Opcions" with Alt+O and chooses an item by its mnemonic.
    bool Options(int mnemonic)
    {
        Key(Qt::Key_O, Qt::AltModifier);
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
            return false;
        if (QApplication::activePopupWidget()->objectName() != QLatin1String("MenuOpcions"))
            return false;
        Key(mnemonic);
        return true;
    }

private slots:
    void init()
    {
        AppLifetime::Instance().Reset();
        m_log.clear();
        m_case = std::make_unique<QObject>();
        m_voices = std::make_unique<FakeVoiceEngine>("msp", QStringList{"Catalan", "Spanish"}, &m_log);
        m_engines = SpeechEngineSet{};
        m_engines.msp = m_voices.get();
    }

    void cleanup()
    {
        if (m_windows) {
            Main().Document().SetModified(false);
            Main().close();
        }
        m_windows.reset();
        m_case.reset();
    }

private:
    // The steps of everyFunctionByKeyboard, in their order: each goes on from where the last left.

    // F7 reads all, F8 the selection, F11 stops, F9 the clipboard; F10 word by word.
    void ReadingKeys(bool fullMenus)
    {
        QCOMPARE(Main().ToolBar().bar->isVisible(), !fullMenus);
        QTest::keyClicks(Main().Edit(), "un dos");

        Key(Qt::Key_F7);
        QTRY_VERIFY(m_log.contains("msp:speak:un dos"));
        Key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        Key(Qt::Key_F8);
        QTRY_VERIFY(m_log.contains("msp:speak:dos"));
        m_log.clear();
        Key(Qt::Key_F11);
        QTRY_COMPARE(m_log, QStringList{"msp:skip"});
        QGuiApplication::clipboard()->setText(QStringLiteral("del porta-retalls"));
        Key(Qt::Key_F9);
        QTRY_VERIFY(m_log.contains("msp:speak:del porta-retalls"));

        // F10 reads word by word from the caret.
        Key(Qt::Key_Home, Qt::ControlModifier);
        m_log.clear();
        Key(Qt::Key_F10);
        QTRY_VERIFY(m_log.contains("msp:speak:dos"));
        QCOMPARE(m_log.indexOf("msp:speak:un "), m_log.indexOf("msp:speak:dos") - 2);
    }

    // F6 to the sound-file name, typed whole, and back; Tab on to the one-word box.
    void SoundFileNameAndOneWordBox(bool fullMenus)
    {
        Key(Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), Main().ToolBar().nomFitxer);
        QVERIFY(Main().ToolBar().bar->isVisible());
        QTest::keyClicks(QApplication::focusWidget(), "carta");
        Key(Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), Main().Edit());
        QCOMPARE(Main().ToolBar().nomFitxer->text(), QStringLiteral("carta"));
        QCOMPARE(Main().ToolBar().bar->isVisible(), !fullMenus);
        Key(Qt::Key_F6);
        Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Main().ToolBar().nomesUnaParaula);
        Key(Qt::Key_Space);
        QVERIFY(Main().ToolBar().nomesUnaParaula->isChecked());
        // The box hands the focus back to the editor, as a click on it does.
        QCOMPARE(QApplication::focusWidget(), Main().Edit());
        QCOMPARE(Main().ToolBar().bar->isVisible(), !fullMenus);
    }

    // The speech window from "&Opcions": stopped first, a voice heard and chosen, Enter.
    void SpeechWindowAndLanguage()
    {
        m_log.clear();
        bool speechWindow = false;
        WhenModal([&](QWidget *modal) {
            speechWindow = modal == m_windows->speechWindow.get();
            Key(Qt::Key_Down);
            Key(Qt::Key_Return);
        });
        QVERIFY(Options(Qt::Key_V));
        QVERIFY(speechWindow);
        QVERIFY(!m_windows->speechWindow->isVisible());
        QCOMPARE(m_log.first(), QStringLiteral("msp:skip"));
        QVERIFY(m_log.contains("msp:speak:Spanish"));
        QCOMPARE(m_log.last(), QStringLiteral("msp:skip"));
        QCOMPARE(SettingsStore(m_dir.filePath("tolvanet.ini")).ReadString("tts", "Numero sintetitzador", ""),
                 QStringLiteral("1"));

        // The language chooser: the next row applies at once, Enter accepts.
        WhenModal([&](QWidget *) {
            Key(Qt::Key_Down);
            Key(Qt::Key_Return);
        });
        QVERIFY(Options(Qt::Key_L));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(Main().MenuNamed("MenuFitxer")->title(), QStringLiteral("&Archivo"));
        QCOMPARE(Main().ActionFor(WindowCommandId::kWordByWord)->text(), QStringLiteral("Leer &palabra por palabra"));
    }

    // Word by word from the menu, back in the editor: one word, as the box ticked above says.
    void WordByWordFromTheMenu()
    {
        Key(Qt::Key_Home, Qt::ControlModifier);
        m_log.clear();
        QVERIFY(Options(Qt::Key_P));
        QTRY_VERIFY(m_log.contains("msp:wait"));
        QCOMPARE(m_log, QStringList({"msp:skip", "msp:speak:un ", "msp:wait"}));
        // On Wayland the compositor gives the window back its keyboard a moment after the
        // menu has closed.
        QTRY_COMPARE(QApplication::focusWidget(), Main().Edit());
    }

    // WAV, MP3 and Opus from the menu: no rendering program here, so each says that
    // nothing was saved and shows why.
    void ExportsFromTheMenu()
    {
        for (int mnemonic : {Qt::Key_W, Qt::Key_3, Qt::Key_O}) {
            m_log.clear();
            QSignalSpy finished(m_windows->exporter.get(), &AudioExporter::finished);
            WhenModal([](QWidget *modal) {
                QVERIFY(qobject_cast<QMessageBox *>(modal));
                Key(Qt::Key_Return);
            });
            QVERIFY(Options(mnemonic));
            QTRY_COMPARE(finished.size(), 1);
            QTRY_VERIFY(!QApplication::activeModalWidget());
            QVERIFY(m_log.contains("msp:speak:No s'ha desat cap fitxer de so."));
        }
    }

    // The one-hand keyboard is the first item: Enter ticks and unticks it.
    void OneHandFromTheMenu()
    {
        QAction *oneHand = Main().ActionFor(WindowCommandId::kOneHandKeyboard);
        QVERIFY(!oneHand->isChecked());
        QVERIFY(Options(Qt::Key_Return));
        QTRY_VERIFY(oneHand->isChecked());
        QVERIFY(Options(Qt::Key_Return));
        QTRY_VERIFY(!oneHand->isChecked());
    }

private slots:
    void everyFunctionByKeyboard_data()
    {
        QTest::addColumn<bool>("fullMenus");
        QTest::newRow("toolbar") << false;
        QTest::newRow("full menus") << true;
    }

    void everyFunctionByKeyboard()
    {
        QFETCH(bool, fullMenus);
        QVERIFY(Start("[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=0\r\n"
                      + QByteArray(fullMenus ? "[Tolvanet32]\r\nTolvanet32=SI\r\n" : "")));
        const std::function<void()> steps[] = {
            [&] { ReadingKeys(fullMenus); },
            [&] { SoundFileNameAndOneWordBox(fullMenus); },
            [&] { SpeechWindowAndLanguage(); },
            [&] { WordByWordFromTheMenu(); },
            [&] { ExportsFromTheMenu(); },
            [&] { OneHandFromTheMenu(); },
        };
        for (const auto &step : steps) {
            step();
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Out of the menu bar by Esc, wherever the walk along it ended, the keys are the editor's again.
    void escapeOutOfTheMenuBarReturnsToTheEditor()
    {
        QVERIFY(Start("[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=1\r\n"));
        Key(Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        Key(Qt::Key_Escape);
        Key(Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        for (int step = 0; step < 4; ++step)
            Key(Qt::Key_Right);
        Key(Qt::Key_Escape);
        Key(Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QTRY_COMPARE(Main().focusWidget(), Main().Edit());
        Key(Qt::Key_S);
        Key(Qt::Key_I);
        QCOMPARE(Main().Edit()->toPlainText(), QStringLiteral("si"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QApplication::activePopupWidget());
    }

    void theEndOfAnExportIsSpoken_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("format");
        const int mp3 = int(ExportFormat::Mp3);
        QTest::newRow("saved") << true << "records/carta.mp3" << "Fitxer de so desat: carta.mp3." << mp3;
        QTest::newRow("nothing saved") << false << "" << "No s'ha desat cap fitxer de so." << mp3;
        QTest::newRow("only the WAV") << false << "records/carta.wav"
                                      << "No s'ha pogut fer el fitxer MP3. El so és a carta.wav." << mp3;
        QTest::newRow("only the WAV, no Opus") << false << "records/carta.wav"
                                               << "No s'ha pogut fer el fitxer Opus. El so és a carta.wav."
                                               << int(ExportFormat::Opus);
    }

    void theEndOfAnExportIsSpoken()
    {
        QFETCH(bool, ok);
        QFETCH(QString, file);
        QFETCH(QString, spoken);
        QFETCH(int, format);
        QVERIFY(Start("[tts]\r\nNumero sintetitzador=1\r\n"));
        ExportResult result;
        result.ok = ok;
        result.format = ExportFormat(format);
        if (!file.isEmpty()) {
            result.file = m_dir.filePath(file);
            QFile made(result.file);
            QVERIFY(made.open(QIODevice::WriteOnly));
        }
        result.reason = QStringLiteral("per la prova");
        if (!ok)
            WhenModal([](QWidget *) { Key(Qt::Key_Escape); });
        m_log.clear();
        emit m_windows->exporter->finished(result);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(m_log, QStringList{"msp:speak:" + spoken});
    }

    // The end of an export is announced to a screen reader in the interface language,
    // from a status line that never takes the focus; while a screen reader runs, the
    // program's own voice leaves the result to it.
    void theEndOfAnExportIsAnnounced_data()
    {
        QTest::addColumn<bool>("screenReader");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("announced");
        QTest::addColumn<QStringList>("spoken");
        // The status line names the folder too; the voice only the file.
        QTest::newRow("no screen reader") << false << QByteArray("0")
                                          << "Fitxer de so desat: carta.mp3, a la carpeta %1."
                                          << QStringList{"msp:speak:Fitxer de so desat: carta.mp3."};
        QTest::newRow("screen reader, Spanish") << true << QByteArray("1")
                                                << "Archivo de sonido guardado: carta.mp3, en la carpeta %1."
                                                << QStringList{};
    }

    void theEndOfAnExportIsAnnounced()
    {
        QFETCH(bool, screenReader);
        QFETCH(QByteArray, language);
        QFETCH(QString, announced);
        QFETCH(QStringList, spoken);
        announced = announced.arg(QDir(m_dir.filePath("records")).absolutePath());
        FakeAccessibilityStatus status(screenReader);
        QVERIFY(status.Registered());
        QVERIFY(Start("[tts]\r\nNumero sintetitzador=1\r\n[LlibreriaLlegir]\r\nLLENGUA=" + language + "\r\n"));
        ExportResult result;
        result.ok = true;
        result.format = ExportFormat::Mp3;
        result.file = m_dir.filePath("records/carta.mp3");
        m_log.clear();
        emit m_windows->exporter->finished(result);
        auto *line = Main().findChild<QLabel *>(QStringLiteral("StatusAnnouncement"));
        QVERIFY(line);
        QVERIFY(line->isVisible());
        QCOMPARE(line->focusPolicy(), Qt::NoFocus);
        QCOMPARE(line->text(), announced);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(line);
        QCOMPARE(iface->role(), QAccessible::Notification);
        QCOMPARE(iface->text(QAccessible::Name), announced);
        QCOMPARE(QApplication::focusWidget(), Main().Edit());
        QCOMPARE(m_log, spoken);
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
