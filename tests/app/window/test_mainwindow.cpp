#include "app/shell/Startup.h"
#include "app/window/AboutBox.h"
#include "app/window/EditorFont.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

    static QStringList BarCaptions(FormPrincipal &window)
    {
        QStringList captions;
        for (QAction *action : window.menuBar()->actions())
            captions << action->text();
        return captions;
    }

    // No engines: the speech window opens on nothing and the first-run question is not asked.
    inline static const SpeechEngineSet kNoEngines{};
    static StartupOptions Options(const QString &folder) { return TestStartupOptions(folder, &kNoEngines); }

    static void WriteFile(const QString &path, const QByteArray &bytes) { QVERIFY(WriteWholeFile(path, bytes)); }

private slots:
    void init() { AppLifetime::Instance().Reset(); }

    void defaultModeShowsTheToolbarAndFiveMenus()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        QCOMPARE(window.size(), QSize(845, 480));
        QCOMPARE(BarCaptions(window),
                 (QStringList{"&Fitxer", "&Edició", "Bu&scar", "&Opcions", "Parlant de..."}));
        QVERIFY(!window.ToolBar().bar->isHidden());
        QStringList fileItems;
        for (QAction *action : window.MenuNamed("MenuFitxer")->actions())
            if (!action->isSeparator() && action->isVisible())
                fileItems << action->text();
        QCOMPARE(fileItems, (QStringList{"Nou", "Obrir...", "Obrir com a text...", "Guardar", "Guardar com...", "Imprimir",
                                         "Configurar impressora...", "Sortir"}));
        QCOMPARE(window.ToolBar().nomFitxer->text(), QString("Sintetitzat"));
        QCOMPARE(window.ToolBar().nomesUnaParaula->text(), QString("Només una paraula"));
        QCOMPARE(window.Edit()->font().pixelSize(), 13);
        QCOMPARE(window.Edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(QDir(dir.filePath("records")).exists());
    }

    void fullMenuModeNeedsExactlySI_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("full");
        QTest::newRow("SI") << QByteArray("SI") << true;
        QTest::newRow("si") << QByteArray("si") << false;
        QTest::newRow("NO") << QByteArray("NO") << false;
    }
    void fullMenuModeNeedsExactlySI()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, full);
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[Tolvanet32]\r\nTolvanet32=" + value + "\r\n");
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        QCOMPARE(window.FullMenuMode(), full);
        QCOMPARE(window.ToolBar().bar->isHidden(), full);
        QCOMPARE(BarCaptions(window).size(), full ? 12 : 5);
        if (full)
            QCOMPARE(BarCaptions(window).mid(9), (QStringList{"Performances", "Pissarra a HTML5", "Parlant de..."}));
    }

    void everyControlCanBeAnnounced()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        const QStringList hints{"Read all or selected text", "Read word by word", "Stop", "Menu options",
                                "wav file saved in records Dir", "mp3 file saved in records Dir"};
        const QStringList names{"ButtonLectura", "SpeedButtonParaulaPerParaula", "ButtonParar", "SpeedButtonMenu",
                                "ButtonWAV", "ButtonMP3"};
        for (int i = 0; i < names.size(); ++i) {
            QToolButton *button = window.findChild<QToolButton *>(names.at(i));
            QVERIFY2(button, qPrintable(names.at(i)));
            // A button is announced by what it shows; one without text by its hint.
            QCOMPARE(button->accessibleName(), button->text().isEmpty() ? hints.at(i) : button->text());
            QCOMPARE(button->toolTip(), hints.at(i));
            // Reached by Tab, never focused by a click.
            QCOMPARE(button->focusPolicy(), Qt::TabFocus);
            QCOMPARE(button->size(), QSize(50, 50));
        }
        QVERIFY(!window.ToolBar().nomFitxer->accessibleName().isEmpty());
        QVERIFY(!window.Edit()->accessibleName().isEmpty());
    }

    void startUpComposesTheTitleAndLoadsTheCommandLineFile()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("a b.txt"), "Hola món\n");
        StartupOptions options = Options(dir.path());
        options.words = QStringList{dir.filePath("a"), "b.txt"};
        auto windows = StartProgram(options);
        FormPrincipal &window = *windows->main;
        QCOMPARE(window.CurrentFileName(), dir.filePath("a b.txt"));
        QVERIFY(window.windowTitle().startsWith("Tolvanet Corvalida - "));
        QVERIFY(window.windowTitle().endsWith(" - a b.txt"));
        QCOMPARE(window.Document().Text(), QString::fromUtf8("Hola món\n"));
        QVERIFY(!window.Document().Modified());
        window.Document().SetModified(false);
        window.close();
    }

    void titleCarriesTheVersionLabelWithoutAFile()
    {
        QTemporaryDir dir;
        StartupOptions options = Options(dir.path());
        auto windows = StartProgram(options);
        QVERIFY(windows->main->windowTitle().startsWith("Tolvanet Corvalida - "));
        QVERIFY(windows->main->windowTitle().endsWith(" - Versió - 26 - 15/11/2019"));
        windows->main->close();
    }

    void theFontChosenIsWrittenAndAppliedAtTheNextStart()
    {
        QTemporaryDir dir;
        const AppPaths paths = AppPaths::InDirectory(dir.path());
        {
            SettingsStore settings(paths.settingsFile);
            EditorFontChoice choice;
            choice.font = QFont("DejaVu Sans");
            choice.font.setPointSize(16);
            choice.font.setBold(true);
            choice.font.setItalic(true);
            QVERIFY(WriteEditorFont(settings, choice));
            QCOMPARE(settings.ReadString("Font Missatge", "Negreta", ""), QString("SI"));
            QCOMPARE(settings.ReadString("Font Missatge", "Itàlica", ""), QString("SI"));
            QCOMPARE(settings.ReadString("Font Missatge", "Subrratllat", ""), QString("NO"));
            QCOMPARE(settings.ReadString("Font Missatge", "Tatxat", ""), QString("NO"));
            QFile file(paths.settingsFile);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromLatin1(file.readAll());
            QStringList keys;
            for (const QString &line : text.split("\r\n"))
                if (line.contains('='))
                    keys << line.section('=', 0, 0);
            QCOMPARE(keys, (QStringList{"HiHaFontMissatge", "Charset", "Color", "Height", "Name", "Size",
                                        "Negreta", QString::fromLatin1("It\xE0lica"), "Subrratllat", "Tatxat"}));
        }
        StartupOptions options = Options(dir.path());
        auto windows = StartProgram(options);
        const QFont font = windows->main->Edit()->font();
        QCOMPARE(font.family(), QString("DejaVu Sans"));
        QCOMPARE(font.pointSize(), 16);
        QVERIFY(font.bold());
        QVERIFY(font.italic());
        QVERIFY(!font.underline());
        windows->main->close();
    }

    void nonNumericFontKeysKeepTheDesignFontAndSaySo()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"),
                  "[Font Missatge]\r\nHiHaFontMissatge=SI\r\nSize=gran\r\nHeight=x\r\nName=0\r\n");
        StartupOptions options = Options(dir.path());
        auto windows = StartProgram(options);
        QCOMPARE(windows->main->Edit()->font().pixelSize(), 13);
        QVERIFY(windows->main->statusBar()->currentMessage().contains("Size"));
        windows->main->close();
    }

    void closingAModifiedDocumentAsksAndNoEndsWithoutSaving()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        ScriptedQuestions &ask = lone.ask;
        bool closeHandlerRan = false;
        window.SetCloseHandler([&] { closeHandlerRan = true; });
        window.show();
        window.Document().SetText("unsaved");
        ask.saveAnswers << SaveAnswer::Cancel;
        QVERIFY(!window.close());
        QVERIFY(!closeHandlerRan);
        ask.saveAnswers << SaveAnswer::No;
        QVERIFY(window.close());
        QVERIFY(closeHandlerRan);
        QVERIFY(AppClosing());
        QCOMPARE(ask.confirmations.size(), 2);
    }

    void printingWritesTheLinesToAPdf()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        window.Document().SetText("Primera línia\nSegona línia\n");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("out.pdf"));
        window.PrintTo(&printer);
        QFile pdf(dir.filePath("out.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
    }

    void findShortcutsReachTheSearch()
    {
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        window.show();
        // On Wayland the window is active a moment after it is exposed; shortcuts wait for it.
        QVERIFY(ShowActive(&window));
        window.Document().SetText("un dos un");
        window.Document().Select(0, 0);
        window.Session().findText = "un";
        QTest::keyClick(window.Edit(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(window.findChild<QDialog *>("FindDialog1"));
        QDialog *dialog = window.findChild<QDialog *>("FindDialog1");
        QVERIFY(dialog->isVisible());
        QMetaObject::invokeMethod(dialog, "findNext");
        QCOMPARE(window.Document().SelStart(), 0);
        window.Edit()->setFocus();
        QTest::keyClick(window.Edit(), Qt::Key_F3);
        QCOMPARE(window.Document().SelStart(), 7);
        window.Document().SetModified(false);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
