#include "app/shell/Startup.h"
#include "app/window/EditorFont.h"
#include "app/window/EditorWidget.h"
#include "app/captions/InterfaceCaptions.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "core/WholeFiles.h"
#include "export/AudioExporter.h"
#include "speech/SpeechController.h"
#include "tests/common/FaultyFiles.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLocale>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <sys/file.h>

// What a new user meets in the window: printouts, keys that close menus and dialogs,
// new documents, dark themes, the text read aloud, settings that cannot be used.
class TestWindowFaults : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    StartupOptions Options(const QString &folder) { return TestStartupOptions(folder, &m_engines); }

    static void WriteFile(const QString &path, const QByteArray &bytes) { QVERIFY(WriteWholeFile(path, bytes)); }

    static QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    QStringList Spoken() const { return m_log.filter(QRegularExpression(QStringLiteral("^msp:speak:"))); }

    static void CloseWithoutSaving(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        QVERIFY(windows.main->close());
    }

    // Words of the first page of a PDF with their boxes, in points.
    struct PrintedWord
    {
        QString text;
        double height;
        double top;
    };
    static QList<PrintedWord> FirstPageWords(const QString &pdf)
    {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
        if (!pdftotext.waitForFinished(60000))
            return {};
        const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
        static const QRegularExpression word(QStringLiteral(
            "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
        QList<PrintedWord> words;
        for (const QRegularExpressionMatch &m : word.globalMatch(html))
            words.append({m.captured(5), m.captured(4).toDouble() - m.captured(2).toDouble(), m.captured(2).toDouble()});
        return words;
    }

private slots:
    void init() { ResetProgramAndVoices(); }

    void printedTextIsAsLargeAsOnScreenWithMargins()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext is missing: scripts/install-deps.sh installs poppler-utils");
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines << QStringLiteral("Línia%1 del full").arg(i);
        window.Document().SetText(lines.join('\n'));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath("out.pdf"));
        window.PrintTo(&printer);

        const QList<PrintedWord> words = FirstPageWords(dir.filePath("out.pdf"));
        QList<PrintedWord> lineStarts;
        for (const PrintedWord &word : words)
            if (word.text.startsWith(QStringLiteral("Línia")))
                lineStarts << word;
        QVERIFY(!lineStarts.isEmpty());
        // The editor's 13 pixels print at about 10 points: a line of glyphs 8 to 14 points high.
        for (const PrintedWord &word : lineStarts)
            QVERIFY2(word.height > 7.0 && word.height < 14.0, qPrintable(QString::number(word.height)));
        // An A4 page holds a readable number of lines, the first one below a margin.
        QVERIFY2(lineStarts.size() >= 35 && lineStarts.size() <= 75, qPrintable(QString::number(lineStarts.size())));
        QVERIFY(lineStarts.first().text == QStringLiteral("Línia1"));
        QVERIFY2(lineStarts.first().top > 28.0, qPrintable(QString::number(lineStarts.first().top)));
    }

    void keysThatCloseAMenuOrADialogReadNothing()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(Options(dir.path()));
        FormPrincipal &main = *windows->main;
        QVERIFY(ShowActive(&main));
        main.Document().SetText(QStringLiteral("un\u00a0dos"));
        EditorWidget *edit = main.Edit();

        // Escape closes the find window; its release reaches the editor.
        main.RunCommandById(QStringLiteral("find"));
        auto *find = main.findChild<QDialog *>(QStringLiteral("FindDialog1"));
        QVERIFY(find && find->isVisible());
        QTest::keyPress(find, Qt::Key_Escape);
        QVERIFY(!find->isVisible());
        QTest::keyRelease(edit, Qt::Key_Escape);
        Settle();
        // The same with a menu, and with F7, F8 and F11 pressed elsewhere.
        QMenu *menu = main.MenuNamed(QStringLiteral("MenuFitxer"));
        menu->popup(main.mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::keyPress(menu, Qt::Key_Escape);
        QTest::keyRelease(edit, Qt::Key_Escape);
        for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_F11}) {
            QTest::keyPress(main.ToolBar().nomFitxer, key);
            QTest::keyRelease(edit, key);
        }
        Settle();
        QCOMPARE(Spoken(), QStringList{});

        // Pressed and released in the editor, F7 reads every character the editor holds,
        // and so does the read button.
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_COMPARE(Spoken(), QStringList{QStringLiteral("msp:speak:un\u00a0dos")});
        QTest::mouseClick(main.ToolBar().lectura, Qt::LeftButton);
        QTRY_COMPARE(Spoken().size(), 2);
        QCOMPARE(Spoken().constLast(), QStringLiteral("msp:speak:un\u00a0dos"));
        CloseWithoutSaving(*windows);
    }

    void newThenSaveAsksForANameAndKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Nou") << QStringLiteral("new");
        QTest::newRow("Nou HTML") << QStringLiteral("new-html");
    }
    void newThenSaveAsksForANameAndKeepsTheOldFile()
    {
        QFETCH(QString, command);
        QTemporaryDir dir;
        const QString path = dir.filePath("carta.txt");
        WriteFile(path, "Benvolguda\n");
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        ScriptedQuestions &ask = lone.ask;
        ask.openAnswers << path;
        window.RunCommandById(QStringLiteral("open"));
        QVERIFY(window.windowTitle().endsWith(QStringLiteral(" - carta.txt")));
        window.RunCommandById(command);
        QCOMPARE(window.windowTitle(), window.BaseCaption());
        window.Document().ReplaceSelection(QStringLiteral("text nou"));
        window.RunCommandById(QStringLiteral("save"));  // the dialog is cancelled
        QCOMPARE(ask.saveProposals, QStringList{QString()});
        QCOMPARE(ReadFile(path), QByteArray("Benvolguda\n"));
        QVERIFY(window.Document().Modified());
        window.Document().SetModified(false);
    }

    // The program started on a file it refuses: what is typed next is never saved over it.
    void aRefusedCommandLineFileIsNeverSavedOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("big.txt");
        QVERIFY(MakeSpecialFile(path, SpecialFile::Sparse, WholeFiles::kLargestFile + (1 << 20)));
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.LoadCommandLineFile(path));
        QCOMPARE(lone.ask.messages.size(), 1);
        QCOMPARE(window.windowTitle(), window.BaseCaption());
        window.Edit()->setFocus();
        QTest::keyClicks(window.Edit(), QStringLiteral("hi"));
        window.RunCommandById(QStringLiteral("save"));  // the dialog is cancelled
        QCOMPARE(lone.ask.saveProposals, QStringList{QString()});
        QCOMPARE(QFileInfo(path).size(), WholeFiles::kLargestFile + (1 << 20));
        window.Document().SetModified(false);
    }

    // Another program wrote the file while it was open: Guardar asks before writing over it.
    void aFileChangedSinceItWasOpenedIsAskedAbout_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("asked");
        QTest::newRow("overwrite, in Catalan") << 0 << int(SaveAnswer::Yes) << "ha canviat al disc";
        QTest::newRow("keep the other version, in English") << 5 << int(SaveAnswer::No) << "has changed on disk";
        QTest::newRow("cancel, in Spanish") << 1 << int(SaveAnswer::Cancel) << "ha cambiado en el disco";
    }
    void aFileChangedSinceItWasOpenedIsAskedAbout()
    {
        QFETCH(int, language);
        QFETCH(int, answer);
        QFETCH(QString, asked);
        QTemporaryDir dir;
        const QString path = dir.filePath("carta.txt");
        WriteFile(path, "Benvolguda\n");
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        ApplyInterfaceLanguage(language, &window, nullptr);
        lone.ask.openAnswers << path;
        window.RunCommandById(QStringLiteral("open"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.Edit()->setFocus();
        QTest::keyClick(window.Edit(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(window.Edit(), QStringLiteral("meu"));
        // Saved unchanged first: only a change by someone else is asked about.
        window.RunCommandById(QStringLiteral("save"));
        QCOMPARE(lone.ask.confirmations, QStringList{});
        WriteFile(path, "La versió del company\n");
        QTest::keyClicks(window.Edit(), QStringLiteral("!"));
        lone.ask.saveAnswers << SaveAnswer(answer);
        lone.ask.saveNameAnswers << dir.filePath("meva.txt");
        window.RunCommandById(QStringLiteral("save"));
        QCOMPARE(lone.ask.confirmations.size(), 1);
        QVERIFY2(lone.ask.confirmations.first().contains(asked) && lone.ask.confirmations.first().contains(path),
                 qPrintable(lone.ask.confirmations.first()));
        const QByteArray mine = "Benvolguda\nmeu!";
        switch (SaveAnswer(answer)) {
        case SaveAnswer::Yes:
            QCOMPARE(ReadFile(path), mine);
            break;
        case SaveAnswer::No:
            QCOMPARE(ReadFile(path), QByteArray("La versió del company\n"));
            QCOMPARE(ReadFile(dir.filePath("meva.txt")), mine);
            QVERIFY(window.windowTitle().endsWith(QStringLiteral(" - meva.txt")));
            break;
        case SaveAnswer::Cancel:
            QCOMPARE(ReadFile(path), QByteArray("La versió del company\n"));
            QVERIFY(window.Document().Modified());
            break;
        }
        window.Document().SetModified(false);
    }

    // A line longer than the window can lay out while typing stays responsive is
    // refused, by its number and length, and never saved over.
    void aDocumentWithALineTooLongToShowIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("una linia.txt");
        const QByteArray longLine(DocumentCommands::kLongestLine + 1, 'x');
        WriteFile(path, "curta\n" + longLine + "\nfinal\n");
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        QVERIFY(!window.LoadCommandLineFile(path));
        QCOMPARE(lone.ask.messages.size(), 1);
        const QString told = lone.ask.messages.first();
        QVERIFY2(told.contains(path) && told.contains(QStringLiteral("línia 2 "))
                     && told.contains(QLocale(QLocale::Catalan).toString(DocumentCommands::kLongestLine + 1)),
                 qPrintable(told));
        QCOMPARE(window.windowTitle(), window.BaseCaption());
        QCOMPARE(window.Document().Text(), QString());
        // Dropped on a document, it leaves the document as it was.
        window.Document().SetText(QStringLiteral("el meu text"));
        window.Document().SetModified(false);
        emit window.Edit()->fileDropped(path);
        QCOMPARE(lone.ask.messages.size(), 2);
        QCOMPARE(window.Document().Text(), QStringLiteral("el meu text"));
        // One character shorter, it opens.
        WriteFile(path, "curta\n" + longLine.chopped(1));
        emit window.Edit()->fileDropped(path);
        QCOMPARE(lone.ask.messages.size(), 2);
        QCOMPARE(window.Document().LineCount(), 2);
    }

    // A size no font can have, stored by hand or by another program.
    void storedFontSizesBeyondAnyFontAreBroughtWithinReach_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::newRow("lowest height") << QByteArray("Height=-2147483648\r\n");
        QTest::newRow("highest height") << QByteArray("Height=2147483647\r\n");
        QTest::newRow("highest size") << QByteArray("Size=2147483647\r\n");
    }
    void storedFontSizesBeyondAnyFontAreBroughtWithinReach()
    {
        QFETCH(QByteArray, values);
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[Font Missatge]\r\nHiHaFontMissatge=SI\r\n" + values);
        auto windows = StartProgram(Options(dir.path()));
        const QFontInfo shown(windows->main->Edit()->font());
        QVERIFY2(shown.pixelSize() >= 1 && shown.pixelSize() <= 1400, qPrintable(QString::number(shown.pixelSize())));
        windows->main->Edit()->setPlainText(QStringLiteral("Es llegeix"));
        QVERIFY(!windows->main->Edit()->grab().isNull());
        CloseWithoutSaving(*windows);
    }

    void newHtmlIsTakenBackByOneUndo_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("empty document") << QString();
        QTest::newRow("after a last line without a break") << QStringLiteral("Títol\nprimera línia");
        QTest::newRow("after a last line with its break") << QStringLiteral("Títol\n");
    }
    void newHtmlIsTakenBackByOneUndo()
    {
        QFETCH(QString, before);
        QTemporaryDir dir;
        LoneWindow lone(dir.path());
        FormPrincipal &window = lone.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.Edit()->setPlainText(before);
        window.RunCommandById(QStringLiteral("new-html"));
        // The 19 lines of the skeleton, its empty line included, below the text.
        const int linesBefore = PlainEditorText(before).LineCount();
        QCOMPARE(window.Document().LineCount(), linesBefore + 19);
        QCOMPARE(window.Document().Text().split('\n').mid(linesBefore, 19), DocumentCommands::HtmlSkeleton());
        window.Edit()->setFocus();
        QTest::keyClick(window.Edit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.Document().Text(), before);
        QVERIFY(!window.Edit()->document()->isUndoAvailable());
    }

    void storedFontColourStaysReadableOnTheTheme_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("color");  // the stored Windows colour value
        QTest::addColumn<bool>("themeText");
        QTest::newRow("dark theme, no colour picked") << true << QStringLiteral("0") << true;
        QTest::newRow("dark theme, dark blue") << true << QStringLiteral("8388608") << false;
        QTest::newRow("dark theme, red") << true << QStringLiteral("255") << false;
        QTest::newRow("dark theme, white") << true << QStringLiteral("16777215") << false;
        QTest::newRow("light theme, black") << false << QStringLiteral("0") << false;
        QTest::newRow("light theme, yellow") << false << QStringLiteral("65535") << false;
    }
    void storedFontColourStaysReadableOnTheTheme()
    {
        QFETCH(bool, dark);
        QFETCH(QString, color);
        QFETCH(bool, themeText);
        const QPalette original = QApplication::palette();
        QPalette theme = original;
        theme.setColor(QPalette::Base, dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(Qt::white));
        theme.setColor(QPalette::Text, dark ? QColor(0xee, 0xee, 0xee) : QColor(Qt::black));
        QApplication::setPalette(theme);
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"),
                  "[Font Missatge]\r\nHiHaFontMissatge=SI\r\nColor=" + color.toLatin1() + "\r\nSize=12\r\n");
        auto windows = StartProgram(Options(dir.path()));
        const QPalette shown = windows->main->Edit()->palette();
        QApplication::setPalette(original);
        const QColor text = shown.color(QPalette::Text);
        const QColor base = shown.color(QPalette::Base);
        QVERIFY2(ContrastRatio(text, base) >= 4.5,
                 qPrintable(text.name() + QStringLiteral(" on ") + base.name()));
        if (themeText) {
            QCOMPARE(text, theme.color(QPalette::Text));
            QCOMPARE(base, theme.color(QPalette::Base));
        } else {
            const int value = color.toInt();
            QCOMPARE(text, QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
        }
        CloseWithoutSaving(*windows);
    }

    void unusableSettingsAreToldInTheStatusLine_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("numero not a number") << QByteArray("[teclat amb una ma]\r\nnumero=tres\r\n")
                                             << QStringList{"numero", "tres"};
        QTest::newRow("numero above 200") << QByteArray("[teclat amb una ma]\r\nnumero=201\r\n")
                                          << QStringList{"numero", "201", "200"};
        QTest::newRow("LLENGUA not a number") << QByteArray("[LlibreriaLlegir]\r\nLLENGUA=català\r\n")
                                              << QStringList{"LLENGUA", "català"};
        QTest::newRow("both") << QByteArray("[teclat amb una ma]\r\nnumero=-1\r\n[LlibreriaLlegir]\r\nLLENGUA=x\r\n")
                              << QStringList{"numero", "-1", "LLENGUA"};
        QTest::newRow("usable") << QByteArray("[teclat amb una ma]\r\nnumero=200\r\n[LlibreriaLlegir]\r\nLLENGUA=2\r\n")
                                << QStringList{};
    }
    void unusableSettingsAreToldInTheStatusLine()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, told);
        QTemporaryDir dir;
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n" + ini);
        auto windows = StartProgram(Options(dir.path()));
        const QString status = windows->main->statusBar()->currentMessage();
        if (told.isEmpty())
            QCOMPARE(status, QString());
        for (const QString &part : told)
            QVERIFY2(status.contains(part), qPrintable(status));
        CloseWithoutSaving(*windows);
    }

    // The window closes while the rendering program writes a long recording.
    void closingDuringAnExportSaysNothingAndLeavesNoFile()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no D-Bus session bus: test.sh runs the tests in one");
        QTemporaryDir dir;
        // The rendering program beside the editor, as installed.
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/SonnerixaWav", dir.filePath("SonnerixaWav")));
        StartupOptions options = Options(dir.path());
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n");
        auto windows = StartProgram(options);
        FormPrincipal &main = *windows->main;
        QStringList sentences;
        for (int i = 0; i < 400; ++i)
            sentences << QStringLiteral("Aquesta és la frase número %1 del conte llarg.").arg(i);
        main.Document().SetText(sentences.join('\n'));
        main.Document().SetModified(false);

        int boxes = 0;
        QTimer boxCloser;
        connect(&boxCloser, &QTimer::timeout, this, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                ++boxes;
                box->close();
            }
        });
        boxCloser.start(20);
        // Once the recording is under way, the user closes the window.
        connect(windows->exporter.get(), &AudioExporter::progress, &main, [&main] { main.close(); },
                Qt::SingleShotConnection);
        std::optional<ExportResult> result;
        connect(windows->exporter.get(), &AudioExporter::finished, this, [&](const ExportResult &r) { result = r; });
        QTest::mouseClick(main.ToolBar().wav, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
        QVERIFY2(AppClosing(), qPrintable(result->reason));
        QVERIFY(!result->ok);
        // The box closer looks a few more times.
        QSignalSpy looks(&boxCloser, &QTimer::timeout);
        QTRY_VERIFY(looks.count() >= 5);
        QCOMPARE(boxes, 0);
        QCOMPARE(QDir(options.paths.recordsDir).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    // While a long recording is made, the user presses the reading keys and goes
    // through the options menu: nothing starts, and the recording ends whole.
    void nothingStartsWhileAnExportRuns()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no D-Bus session bus: test.sh runs the tests in one");
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/SonnerixaWav", dir.filePath("SonnerixaWav")));
        StartupOptions options = Options(dir.path());
        WriteFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n");
        auto windows = StartProgram(options);
        FormPrincipal &main = *windows->main;
        QVERIFY(ShowActive(&main));
        main.Edit()->setFocus();
        QStringList sentences;
        for (int i = 0; i < 60; ++i)
            sentences << QStringLiteral("Aquesta és la frase %1 del conte.").arg(i);
        sentences << QStringLiteral("I aquí s'acaba el conte del drac vermell.");
        main.Document().SetText(sentences.join('\n'));
        main.Document().SetModified(false);

        int windowsOpened = 0;
        QTimer boxCloser;
        connect(&boxCloser, &QTimer::timeout, this, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                ++windowsOpened;
                box->close();
            }
        });
        boxCloser.start(20);
        QStringList spokenDuringExport;
        bool pressed = false;
        connect(windows->exporter.get(), &AudioExporter::progress, &main, [&] {
            if (pressed)
                return;
            pressed = true;
            for (int key : {Qt::Key_F10, Qt::Key_F7, Qt::Key_Escape, Qt::Key_F8, Qt::Key_F9})
                QTest::keyClick(main.Edit(), Qt::Key(key));
            QTest::keyClicks(main.Edit(), "casa. ");
            QTest::mouseClick(main.Edit()->viewport(), Qt::RightButton);
            QTest::mouseClick(main.ToolBar().lectura, Qt::LeftButton);
            QTest::mouseClick(main.ToolBar().menu, Qt::LeftButton);
            // Every item of the options menu and the font command, from the menu and as
            // the command line reaches them.
            for (QAction *action : main.MenuNamed(QStringLiteral("MenuOpcions"))->actions()) {
                QVERIFY2(!action->isEnabled() || action->isSeparator(), qPrintable(action->objectName()));
                action->trigger();
            }
            for (const char *id : {WindowCommandId::kLanguage, WindowCommandId::kSpeechWindow, "font",
                                   WindowCommandId::kWordByWord, WindowCommandId::kSaveWav})
                main.RunCommandById(QString::fromLatin1(id));
        });
        std::optional<ExportResult> result;
        connect(windows->exporter.get(), &AudioExporter::finished, this, [&](const ExportResult &r) {
            // The end is told as the export finishes, before this handler.
            spokenDuringExport = Spoken().filter(QRegularExpression(QStringLiteral("^(?!.*Fitxer de so desat)")));
            result = r;
        });
        QTest::mouseClick(main.ToolBar().wav, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 120000);
        QVERIFY(pressed);
        QVERIFY2(result->ok, qPrintable(result->reason));
        QVERIFY2(spokenDuringExport.isEmpty(), qPrintable(spokenDuringExport.join(" | ")));
        QCOMPARE(windowsOpened, 0);
        // The typing itself went on, silently.
        QVERIFY(main.Document().Text().contains(QStringLiteral("casa. ")));

        // The whole text was recorded: the last sentence's words have their subtitles.
        QVERIFY(!result->subtitleFiles.isEmpty());
        const QString subtitles = QString::fromUtf8(ReadFile(result->subtitleFiles.first()));
        QVERIFY2(subtitles.contains(QStringLiteral("vermell")), qPrintable(subtitles.right(300)));
        // The exchange file's lock is free for the next export.
        QFile lock(options.paths.exchangeFile + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(lock.handle(), LOCK_EX | LOCK_NB), 0);
        ::flock(lock.handle(), LOCK_UN);

        // The end is told, and the keys read again once the export is over.
        QCOMPARE(Spoken().filter(QStringLiteral("Fitxer de so desat")).size(), 1);
        m_log.clear();
        QTest::keyClick(main.Edit(), Qt::Key_F7);
        QTRY_VERIFY(!Spoken().isEmpty());
        CloseWithoutSaving(*windows);
    }

    void anExportEndingAfterTheWindowClosedSaysNothing()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(Options(dir.path()));
        CloseWithoutSaving(*windows);
        int boxes = 0;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                ++boxes;
                box->close();
            }
        });
        ExportResult result;
        result.reason = QStringLiteral("El programa es tanca: no s'ha creat cap fitxer de so.");
        emit windows->exporter->finished(result);
        Settle();
        QCOMPARE(boxes, 0);
    }
};

QTEST_MAIN(TestWindowFaults)
#include "test_windowfaults.moc"
