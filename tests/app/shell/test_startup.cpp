#include "app/typing/OneHandKeyboard.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "windows/FormTTS.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

// The whole program put together, with recording engines in place of the real ones.
class TestStartup : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    StartupOptions Options(const QString &folder, bool firstRun = false)
    {
        return TestStartupOptions(folder, &m_engines, QString(), firstRun);
    }

    static void WriteFile(const QString &path, const QByteArray &bytes) { QVERIFY(WriteWholeFile(path, bytes)); }

    static QString Read(const QString &path, const QString &section, const QString &key)
    {
        return SettingsStore(path).ReadString(section, key, "(none)");
    }

    static void CloseWithoutSaving(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        QVERIFY(windows.main->close());
    }

private slots:
    void init() { ResetProgramAndVoices(); }

    void theFirstRunAsksForAVoiceBeforeTheEditor()
    {
        QTemporaryDir dir;
        bool asked = false;
        QTimer::singleShot(0, this, [&] {
            auto *window = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            asked = window && window->objectName() == "FormTTS";
            if (window)
                window->accept();
        });
        auto windows = StartProgram(Options(dir.path(), true));
        QVERIFY(asked);
        const QString ini = dir.filePath("tolvanet.ini");
        QCOMPARE(Read(ini, "tts", "Numero sintetitzador"), QString("0"));
        QCOMPARE(Read(ini, "tts", "velocitat"), QString("0"));
        CloseWithoutSaving(*windows);
    }

    void readingOptionsComeBackAndAreStoredAtClose()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("tolvanet.ini");
        WriteFile(ini, "[tts]\r\nNumero sintetitzador=1\r\n[LlibreriaLlegir]\r\nLLEGIR LLETRES=SI\r\nF7=no\r\n"
                       "LLEGIR FRASE=si\r\nLLENGUA=1\r\n");
        auto windows = StartProgram(Options(dir.path()));
        FormTTS &speechWindow = *windows->speechWindow;
        QVERIFY(windows->readingOptions->ReadLetters());
        QVERIFY(!windows->readingOptions->ReadSentenceOnFullStop());
        QVERIFY(speechWindow.IsOptionChecked(ReadingOption::ReadAll));
        QCOMPARE(windows->speech->SelectedIndex(), 1);

        // The editor talks: a typed letter reaches the selected voice.
        QVERIFY(ShowActive(windows->main.get()));
        windows->main->Edit()->setFocus();
        QTest::keyClick(windows->main->Edit(), Qt::Key_A);
        QTRY_VERIFY(m_log.contains("msp:speak:a"));
        QCOMPARE(windows->main->Document().Text(), QString("a"));

        CloseWithoutSaving(*windows);
        QCOMPARE(Read(ini, "LlibreriaLlegir", "LLEGIR LLETRES"), QString("SI"));
        QCOMPARE(Read(ini, "LlibreriaLlegir", "LLEGIR FRASE"), QString("NO"));
        QCOMPARE(Read(ini, "LlibreriaLlegir", "F7"), QString("SI"));
        QCOMPARE(Read(ini, "LlibreriaLlegir", "F10"), QString("SI"));
        QCOMPARE(Read(ini, "LlibreriaLlegir", "LLENGUA"), QString("1"));
    }

    void wordOnSpaceTurnsTheOneHandKeyboardOff()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("tolvanet.ini");
        WriteFile(ini, "[tts]\r\nNumero sintetitzador=0\r\n[MENU]\r\nMenuTeclatAmbUnaMa.Checked=true\r\n"
                       "[LlibreriaLlegir]\r\nLLEGIR PARAULES=SI\r\n");
        auto windows = StartProgram(Options(dir.path()));
        QVERIFY(windows->readingOptions->ReadWordOnSpace());
        QVERIFY(!windows->main->ActionFor(WindowCommandId::kOneHandKeyboard)->isChecked());
        QCOMPARE(Read(ini, "MENU", "MenuTeclatAmbUnaMa.Checked"), QString("false"));
        CloseWithoutSaving(*windows);
    }

    void theStoredLanguageRelabelsTheWindow()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=5\r\n");
        auto windows = StartProgram(Options(dir.path()));
        FormPrincipal &main = *windows->main;
        QCOMPARE(main.MenuNamed("MenuFitxer")->title(), QString("&File"));
        QCOMPARE(main.findChild<QLabel *>("LabelSoundFileName")->text(), QString("Sound file name:"));
        QCOMPARE(main.findChild<QAction *>("MenuAbout")->text(), QString("About..."));
        CloseWithoutSaving(*windows);
    }

    void noStoredLanguageGivesSpanish()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n");
        auto windows = StartProgram(Options(dir.path()));
        QCOMPARE(windows->main->MenuNamed("MenuEdicio")->title(), QString("&Edición"));
        QCOMPARE(windows->main->findChild<QAction *>("MenuAbout")->text(), QString("Acerca de..."));
        CloseWithoutSaving(*windows);
    }

    void hiddenMenusKeepTheirShortcutsAndAToolRunIsOneUndo()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n");
        auto windows = StartProgram(Options(dir.path()));
        FormPrincipal &main = *windows->main;
        QVERIFY(!main.FullMenuMode());
        QVERIFY(ShowActive(&main));
        main.Edit()->setFocus();
        main.Document().SetText("3 + 4");
        QTest::keyClick(main.Edit(), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(main.Document().Text(), QString("3+4 = 7\n"));
        main.Edit()->undo();
        QCOMPARE(main.Document().Text(), QString("3 + 4"));
        // An HTML shortcut that the editor might keep for itself still reaches its command.
        main.Document().SetText("negreta");
        main.Document().Select(0, 7);
        QTest::keyClick(main.Edit(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY2(main.Document().Text().contains("negreta") && main.Document().Text() != "negreta",
                 qPrintable(main.Document().Text()));
        CloseWithoutSaving(*windows);
    }

    void theSoundButtonsFollowTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("design name") << "Sintetitzat" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("a path") << "../../Music/x" << false;
        QTest::newRow("accents") << "Conte de l'àvia" << true;
    }
    void theSoundButtonsFollowTheName()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n");
        auto windows = StartProgram(Options(dir.path()));
        windows->main->ToolBar().nomFitxer->setText(name);
        QCOMPARE(windows->main->ToolBar().wav->isEnabled(), enabled);
        QCOMPARE(windows->main->ToolBar().mp3->isEnabled(), enabled);
        CloseWithoutSaving(*windows);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
