#include "app/documents/ConversionProgress.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "app/window/WidgetQuestions.h"
#include "core/documents/DocumentConversion.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/SampleDocuments.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"
#include "windows/InterfaceLanguages.h"

#include <QAccessible>
#include <QInputDialog>
#include <QLineEdit>

#include <QPainter>
#include <QPdfWriter>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

// The documents people are given, opened in the window as a reader does: the text
// shows and is read aloud, the original is never written, a bad file changes nothing.
class TestOpenDocuments : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Samples::WritePdf(Path("fitxa.pdf"), Samples::Worksheet()));
        QVERIFY(Samples::WriteDocx(Path("carta.docx")));
    }

    // Open, then Save: the save asks for a name beside the original, which keeps its bytes.
    void openedPdfIsUnnamedAndSavedAsText()
    {
        const QByteArray original = Bytes(Path("fitxa.pdf"));
        LoneWindow lone(m_dir.path());
        lone.ask.openAnswers << Path("fitxa.pdf");
        lone.window.RunCommandById(QStringLiteral("open"));
        QVERIFY2(lone.ask.messages.isEmpty(), qPrintable(lone.ask.messages.join(QLatin1Char('\n'))));
        QCOMPARE(lone.window.Document().Text(), QString::fromUtf8(Samples::WorksheetText()));
        QVERIFY(!lone.window.Document().Modified());
        QVERIFY(lone.window.CurrentFileName().isEmpty());
        QVERIFY(lone.window.windowTitle().endsWith(QStringLiteral(" - fitxa.pdf, 3 pàgines")));
        QCOMPARE(lone.window.statusBar()->currentMessage(), QStringLiteral("fitxa.pdf, 3 pàgines"));

        lone.ask.saveNameAnswers << Path("fitxa.txt");
        lone.window.RunCommandById(QStringLiteral("save"));
        QCOMPARE(lone.ask.saveProposals, QStringList{Path("fitxa.txt")});
        QCOMPARE(QString::fromUtf8(Bytes(Path("fitxa.txt"))), QString::fromUtf8(Samples::WorksheetText()));
        QCOMPARE(Bytes(Path("fitxa.pdf")), original);
        QCOMPARE(lone.window.CurrentFileName(), Path("fitxa.txt"));
    }

    // A damaged document, dropped or named at start, leaves the text and its name as they were.
    void badDocumentChangesNothing()
    {
        const QByteArray docx = Bytes(Path("carta.docx"));
        QFile broken(Path("tallat.docx"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(docx.left(docx.size() / 2));
        broken.close();
        QFile text(Path("meu.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("El meu text\r\nde casa\xe0\r\n");
        text.close();
        const QByteArray mine = Bytes(Path("meu.txt"));

        LoneWindow lone(m_dir.path());
        lone.ask.openAnswers << Path("meu.txt");
        lone.window.RunCommandById(QStringLiteral("open"));
        const QString title = lone.window.windowTitle();
        lone.window.Documents().DropFile(Path("tallat.docx"));
        QCOMPARE(lone.ask.messages.size(), 1);
        QVERIFY2(lone.ask.messages.first().startsWith(QStringLiteral("tallat.docx: ")), qPrintable(lone.ask.messages.first()));
        QCOMPARE(lone.window.Document().Text(), QStringLiteral("El meu text\nde casaà\n"));
        QCOMPARE(lone.window.windowTitle(), title);
        // The plain-text file is saved as it came: Windows-1252 with CR LF.
        lone.window.RunCommandById(QStringLiteral("save"));
        QCOMPARE(Bytes(Path("meu.txt")), mine);

        // A command-line document that cannot be read leaves no name behind, so that
        // "Guardar" asks instead of writing text over it.
        LoneWindow started(m_dir.path());
        QVERIFY(!started.window.LoadCommandLineFile(Path("tallat.docx")));
        QVERIFY(started.window.CurrentFileName().isEmpty());
        QCOMPARE(started.ask.messages.size(), 1);
        QVERIFY(started.window.LoadCommandLineFile(Path("carta.docx")));
        QCOMPARE(started.window.Document().Text(), QString::fromUtf8(Samples::OfficeText()));
        QVERIFY(started.window.CurrentFileName().isEmpty());
    }

    // "Obrir com a text" gives a web page's markup, for the HTML tools, under its own name.
    void openAsTextKeepsTheMarkup()
    {
        QFile page(Path("pagina.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<HTML>\n<BODY>Hola &agrave;</BODY>\n</HTML>\n");
        page.close();
        LoneWindow lone(m_dir.path());
        lone.ask.openAnswers << Path("pagina.htm") << Path("pagina.htm");
        lone.window.RunCommandById(QStringLiteral("open-as-text"));
        QCOMPARE(lone.window.Document().Text(), QStringLiteral("<HTML>\n<BODY>Hola &agrave;</BODY>\n</HTML>\n"));
        QCOMPARE(lone.window.CurrentFileName(), Path("pagina.htm"));
        QVERIFY(lone.window.ActionFor(QStringLiteral("open-as-text")));
        QCOMPARE(lone.window.ActionFor(QStringLiteral("open-as-text"))->text(), QStringLiteral("Obrir com a text..."));
        lone.window.RunCommandById(QStringLiteral("open"));
        QCOMPARE(lone.window.Document().Text(), QStringLiteral("Hola à\n"));
        QVERIFY(lone.window.CurrentFileName().isEmpty());
    }

    // A long conversion shows its progress; Esc cancels it and the document stays.
    void cancelledConversionLeavesTheDocument()
    {
        std::vector<Samples::PageLines> book(300);
        for (auto &page : book)
            for (int line = 0; line < 50; ++line)
                page.push_back({50, 60 + 14.0 * line, QStringLiteral("Una línia de la novel·la que omple la pàgina, %1").arg(line)});
        QVERIFY(Samples::WritePdf(Path("novel·la.pdf"), book));
        QWidget parent;
        bool pressed = false;
        QTimer escape;
        connect(&escape, &QTimer::timeout, &parent, [&] {
            auto *dialog = parent.findChild<QProgressDialog *>(QStringLiteral("ConversionProgress"));
            // Esc is heard by the active window only, which on Wayland comes after showing.
            if (dialog && dialog->isVisible() && QApplication::activeWindow() == dialog && !pressed) {
                pressed = true;
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        escape.start(10);
        const std::optional<DocumentConversionResult> result = ConvertWithProgress(&parent, Path("novel·la.pdf"), 0);
        QVERIFY(result);
        QVERIFY(pressed);
        QVERIFY(result->cancelled);
        QVERIFY(!ConvertWithProgress(&parent, Path("meu.txt"), 0));
    }

    // A locked PDF asks for its password in the interface language; a wrong one says so
    // and asks again; Esc leaves everything as it was.
    void lockedPdfAsksForItsPassword()
    {
        QCOMPARE(QProcess::execute(QStringLiteral("qpdf"), {"--encrypt", "clau", "clau", "256", "--", Path("fitxa.pdf"),
                                                            Path("tancat.pdf")}),
                 0);
        LoneWindow lone(m_dir.path());
        lone.window.setProperty(kInterfaceLanguageProperty, 1);
        lone.ask.openAnswers << Path("tancat.pdf");
        lone.window.RunCommandById(QStringLiteral("open"));
        QCOMPARE(lone.ask.passwordQueries.size(), 1);
        QVERIFY(lone.ask.messages.isEmpty());
        QCOMPARE(lone.window.Document().Text(), QString());
        QVERIFY(lone.window.CurrentFileName().isEmpty());

        lone.ask.openAnswers << Path("tancat.pdf");
        lone.ask.passwordAnswers << QStringLiteral("mala") << QStringLiteral("clau");
        lone.window.RunCommandById(QStringLiteral("open"));
        QCOMPARE(lone.ask.passwordQueries.size(), 3);
        QCOMPARE(lone.ask.passwordQueries.at(1),
                 QString::fromUtf8("Contraseña|tancat.pdf está protegido con una contraseña. Escríbala para abrirlo:"));
        QVERIFY2(lone.ask.passwordQueries.at(2).startsWith(QString::fromUtf8("Contraseña|La contraseña no es correcta.")),
                 qPrintable(lone.ask.passwordQueries.at(2)));
        QVERIFY(lone.ask.messages.isEmpty());
        QCOMPARE(lone.window.Document().Text(), QString::fromUtf8(Samples::WorksheetText()));
        QCOMPARE(lone.window.statusBar()->currentMessage(), QString::fromUtf8("tancat.pdf, 3 páginas"));
    }

    // The field hides what is typed, also from a screen reader; Esc gives nothing, Enter the password.
    void passwordFieldIsMasked()
    {
        QWidget parent;
        WidgetQuestions questions(&parent);
        QString typed = QStringLiteral("clau");
        bool masked = false;
        QTimer keys;
        connect(&keys, &QTimer::timeout, &parent, [&] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || QApplication::activeWindow() != dialog)
                return;
            auto *field = dialog->findChild<QLineEdit *>();
            QAccessibleInterface *accessible = field ? QAccessible::queryAccessibleInterface(field) : nullptr;
            masked = field && field->echoMode() == QLineEdit::Password && accessible
                     && accessible->state().passwordEdit;
            if (typed.isEmpty()) {
                QTest::keyClick(field, Qt::Key_Escape);
                return;
            }
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key_Return);
        });
        keys.start(10);
        QCOMPARE(questions.AskPassword(QStringLiteral("Contrasenya"), QStringLiteral("Escriviu-la:")),
                 std::optional<QString>(QStringLiteral("clau")));
        QVERIFY(masked);
        typed.clear();
        masked = false;
        QCOMPARE(questions.AskPassword(QStringLiteral("Contrasenya"), QStringLiteral("Escriviu-la:")), std::nullopt);
        QVERIFY(masked);
    }

    // A program opened as text shows no garbage without asking, cannot be typed into and
    // is never saved over; the next document clears what the status line said of it.
    void fileThatIsNotTextOpensReadOnly()
    {
        QByteArray program("\x7F" "ELF\x02\x01\x01", 7);
        program += QByteArray(200, '\0') + "dades";
        QFile binary(Path("binari.dat"));
        QVERIFY(binary.open(QIODevice::WriteOnly));
        binary.write(program);
        binary.close();
        LoneWindow lone(m_dir.path());
        lone.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lone.window));
        lone.ask.openAnswers << Path("binari.dat");
        lone.ask.saveAnswers << SaveAnswer::Yes;
        lone.window.RunCommandById(QStringLiteral("open"));
        QCOMPARE(lone.ask.confirmations.size(), 1);
        QVERIFY(lone.window.Edit()->isReadOnly());
        QVERIFY(lone.window.statusBar()->currentMessage().startsWith(QStringLiteral("binari.dat no és un fitxer de text")));
        lone.window.Edit()->setFocus();
        QTest::keyClicks(lone.window.Edit(), QStringLiteral("x"));
        QTest::keyClick(lone.window.Edit(), Qt::Key_Backspace);
        lone.window.RunCommandById(QStringLiteral("save"));
        QCOMPARE(lone.ask.saveProposals, QStringList{Path("binari.txt")});
        QCOMPARE(Bytes(Path("binari.dat")), program);

        QFile text(Path("net.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("net\n");
        text.close();
        lone.ask.openAnswers << Path("net.txt");
        lone.window.RunCommandById(QStringLiteral("open"));
        QVERIFY(!lone.window.Edit()->isReadOnly());
        QCOMPARE(lone.window.statusBar()->currentMessage(), QString());
    }

    // Every reason a document is refused follows the interface language.
    void refusalsFollowTheInterfaceLanguage()
    {
        {
            QPdfWriter writer(Path("escanejat.pdf"));
            QPainter painter(&writer);
            QImage scan(200, 100, QImage::Format_RGB32);
            scan.fill(Qt::gray);
            painter.drawImage(QPointF(10, 10), scan);
        }
        LoneWindow lone(m_dir.path());
        lone.window.setProperty(kInterfaceLanguageProperty, 6);
        lone.window.Documents().DropFile(Path("escanejat.pdf"));
        QCOMPARE(lone.ask.messages,
                 QStringList{QString::fromUtf8("escanejat.pdf : aucun texte n'a été trouvé sur les pages numérisées")});
        QCOMPARE(ConversionProgressLabel(6, QStringLiteral("a.pdf")), QString::fromUtf8("Ouverture de a.pdf..."));
    }

    // The opened text is read aloud by the real voice, heard at the null sink.
    void openedDocumentIsHeard()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QFile settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[tts]\r\nNumero sintetitzador="
                       + QByteArray::number(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"))) + "\r\n");
        settings.close();
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        QVERIFY(windows->main->LoadCommandLineFile(Path("fitxa.pdf")));
        QVERIFY(windows->main->Document().Text().startsWith(QStringLiteral("Les plantes\n\n")));
        windows->main->Edit()->setFocus();
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(windows->main->Edit(), Qt::Key_F7);
        QVERIFY2(monitor.WaitForSound(15000), "nothing was heard");
        QTest::keyClick(windows->main->Edit(), Qt::Key_F11);
        QVERIFY(monitor.WaitForSilence(500, 30000));
        windows->main->close();
    }
};

QTEST_MAIN(TestOpenDocuments)
#include "test_opendocuments.moc"
