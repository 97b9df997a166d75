#include "app/ConversionProgress.h"
#include "app/EditorWidget.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "core/documents/DocumentConversion.h"
#include "speech/SpeechController.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SampleDocuments.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"

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
        const std::optional<DocumentConversionResult> result = ConvertWithProgress(&parent, Path("novel·la.pdf"), {}, 0);
        QVERIFY(result);
        QVERIFY(pressed);
        QVERIFY(result->cancelled);
        QVERIFY(!ConvertWithProgress(&parent, Path("meu.txt"), {}, 0));
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
