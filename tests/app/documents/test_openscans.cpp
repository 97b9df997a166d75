#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/documents/DocumentConversion.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/ScannedPages.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"
#include "windows/InterfaceLanguages.h"

#include <QClipboard>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

// Pages on paper, opened in the window as a reader does: recognised off the window's
// thread, read aloud, and a cancelled or failed recognition changes nothing.
class TestOpenScans : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    static QStringList Lines()
    {
        return {QStringLiteral("La Marta llegeix un conte de fades."), QStringLiteral("El gat dorm a la cadira del menjador.")};
    }

    // The whole program, started next, reads with espeak-ng's Catalan voice.
    bool ReadInCatalan() const
    {
        AppLifetime::Instance().Reset();
        return WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")),
                              "[tts]\r\nNumero sintetitzador="
                                  + QByteArray::number(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")))
                                  + "\r\n[LlibreriaLlegir]\r\nLLENGUA=0\r\n");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Scans::WriteScannedPdf(Path("escanejada.pdf"), {Scans::Page(Lines(), {1.5, true, 1, 0})}));
    }

    // Esc on the progress window, which counts the pages, leaves the document as it was.
    void escapeDuringRecognitionLeavesTheDocument()
    {
        const QImage page = Scans::Page(Lines() + Lines() + Lines());
        QVERIFY(Scans::WriteScannedPdf(Path("llarga.pdf"), {page, page, page}));
        LoneWindow lone(m_dir.path());
        lone.window.Document().Replace(0, 0, QStringLiteral("El meu text."));
        lone.window.Document().SetModified(false);
        lone.ask.openAnswers << Path("llarga.pdf");
        QString label;
        QTimer escape;
        connect(&escape, &QTimer::timeout, &lone.window, [&] {
            auto *dialog = lone.window.findChild<QProgressDialog *>(QStringLiteral("ConversionProgress"));
            if (dialog && dialog->isVisible() && QApplication::activeWindow() == dialog && label.isEmpty()
                && dialog->labelText().startsWith(QStringLiteral("Pàgina"))) {
                label = dialog->labelText();
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        escape.start(10);
        lone.window.RunCommandById(QStringLiteral("open"));
        QVERIFY2(label.endsWith(QStringLiteral(" de 3")), qPrintable(label));
        QVERIFY(lone.ask.messages.isEmpty());
        QCOMPARE(lone.window.Document().Text(), QStringLiteral("El meu text."));
        QVERIFY(!lone.window.Document().Modified());
    }

    // A photo of no text is refused in the interface language, naming the file.
    void pictureOfNoTextIsRefusedInTheInterfaceLanguage()
    {
        QImage photo(500, 300, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(100 + x / 5, 150 + y / 4, 220 - (x + y) / 10));
        QVERIFY(photo.save(Path("platja.png")));
        LoneWindow lone(m_dir.path());
        lone.window.setProperty(kInterfaceLanguageProperty, 1);
        lone.window.Document().Replace(0, 0, QStringLiteral("Queda."));
        lone.window.Document().SetModified(false);
        lone.ask.openAnswers << Path("platja.png");
        lone.window.RunCommandById(QStringLiteral("open"));
        QCOMPARE(lone.ask.messages, QStringList{QStringLiteral("platja.png: no se ha encontrado ningún texto en esta imagen")});
        QCOMPARE(lone.window.Document().Text(), QStringLiteral("Queda."));
    }

    // A scan of three pages opens with its first, short page while the long ones are read:
    // F7 reads it at once, the pages come in at the end, and the document ends as it opens
    // all at once, unmodified, with no page for undo to take back. The next one is stopped
    // by the stop key half way: the pages shown stay, and the status line says so.
    void laterPagesComeWhileTheFirstIsRead()
    {
        QStringList long1, long2;
        for (int i = 0; i < 8; ++i) {
            long1 << QStringLiteral("El riu %1 baixa ple d'aigua clara.").arg(QChar(u'A' + i));
            long2 << QStringLiteral("La lluna %1 surt darrere la muntanya.").arg(QChar(u'A' + i));
        }
        const std::vector<QImage> pages = {Scans::Page(Lines()), Scans::Page(long1), Scans::Page(long2)};
        QVERIFY(Scans::WriteScannedPdf(Path("tres.pdf"), pages));
        QVERIFY(Scans::WriteScannedPdf(Path("aturada.pdf"), {pages[0], pages[1], pages[2], pages[1], pages[2]}));
        ConversionControl control;
        control.recognisers = QStringLiteral("cat+spa");
        const QString whole = ConvertDocument(Path("tres.pdf"), control).text;
        QVERIFY(whole.contains(QStringLiteral("muntanya")));

        SinkMonitor monitor;
        START_LISTENING(monitor);
        QVERIFY(ReadInCatalan());
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        FormPrincipal &main = *windows->main;
        QVERIFY(main.LoadCommandLineFile(Path("tres.pdf")));
        QVERIFY(main.Documents().PagesComing());
        const QString first = main.Document().Text();
        QVERIFY2(first.contains(QStringLiteral("Marta")) && !first.contains(QStringLiteral("muntanya")), qPrintable(first));
        QVERIFY2(main.statusBar()->currentMessage().startsWith(QStringLiteral("Pàgina")),
                 qPrintable(main.statusBar()->currentMessage()));

        // The progress window is gone: the keys are the editor's.
        QVERIFY(!main.findChild<QProgressDialog *>(QStringLiteral("ConversionProgress")));
        main.Edit()->setFocus();
        monitor.Clear();
        QTest::keyClick(main.Edit(), Qt::Key_F7);
        QVERIFY2(monitor.WaitForSound(15000), "the first page was not heard");
        QVERIFY(main.Documents().PagesComing());
        // The reader's note at the top, written while the pages come, stays theirs to undo.
        QTest::keyClick(main.Edit(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(main.Edit(), QStringLiteral("Nota:"));
        QTRY_VERIFY_WITH_TIMEOUT(!main.Documents().PagesComing(), 180000);
        QCOMPARE(main.Document().Text(), QStringLiteral("Nota:") + whole);
        QCOMPARE(main.Document().SelStart(), 5);
        for (int undo = 0; undo < 6; ++undo)
            QTest::keyClick(main.Edit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(main.Document().Text(), whole);
        QVERIFY2(main.windowTitle().endsWith(QStringLiteral(" - tres.pdf, 3 pàgines, 3 reconegudes")),
                 qPrintable(main.windowTitle()));
        QVERIFY(main.statusBar()->currentMessage().contains(QStringLiteral("confiança del reconeixement")));
        QTest::keyClick(main.Edit(), Qt::Key_F11);
        QVERIFY(monitor.WaitForSilence(500, 30000));

        QVERIFY(main.LoadCommandLineFile(Path("aturada.pdf")));
        QVERIFY(main.Documents().PagesComing());
        QTest::keyClick(main.Edit(), Qt::Key_F11);
        QTRY_VERIFY_WITH_TIMEOUT(!main.Documents().PagesComing(), 60000);
        QVERIFY2(main.statusBar()->currentMessage().startsWith(QStringLiteral("Reconeixement aturat: ")),
                 qPrintable(main.statusBar()->currentMessage()));
        QVERIFY2(main.statusBar()->currentMessage().endsWith(QStringLiteral(" de 5 pàgines reconegudes.")),
                 qPrintable(main.statusBar()->currentMessage()));
        const QString kept = main.Document().Text();
        QVERIFY2(kept.startsWith(first), qPrintable(kept));
        QVERIFY(!main.Document().Modified());
    }

    // Last, as it runs the whole program, which then closes. The scanned page opens as its text, the status line tells how sure the recogniser
    // was, and F7 reads it; then F9 reads a picture on the clipboard without inserting it.
    void scannedPdfAndClipboardPictureAreHeard()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        QVERIFY(ReadInCatalan());
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        FormPrincipal &main = *windows->main;
        QVERIFY(main.LoadCommandLineFile(Path("escanejada.pdf")));
        const QString text = main.Document().Text();
        QVERIFY2(Scans::WordErrorRate(Lines().join(QLatin1Char(' ')), text) <= 0.1, qPrintable(text));
        QVERIFY2(main.windowTitle().endsWith(QStringLiteral(" - escanejada.pdf, 1 pàgina, 1 reconeguda")),
                 qPrintable(main.windowTitle()));
        QVERIFY2(main.statusBar()->currentMessage().contains(QStringLiteral("confiança del reconeixement")),
                 qPrintable(main.statusBar()->currentMessage()));

        main.Edit()->setFocus();
        monitor.Clear();
        QTest::keyClick(main.Edit(), Qt::Key_F7);
        QVERIFY2(monitor.WaitForSound(15000), "the scanned page was not heard");
        QTest::keyClick(main.Edit(), Qt::Key_F11);
        QVERIFY(monitor.WaitForSilence(500, 30000));

        QGuiApplication::clipboard()->setImage(Scans::Page({QStringLiteral("Avui plou a Barcelona.")}));
        main.statusBar()->clearMessage();
        monitor.Clear();
        QTest::keyClick(main.Edit(), Qt::Key_F9);
        QTRY_VERIFY_WITH_TIMEOUT(main.statusBar()->currentMessage().contains(QStringLiteral("confiança")), 60000);
        QVERIFY2(monitor.WaitForSound(15000), "the clipboard's picture was not heard");
        QCOMPARE(main.Document().Text(), text);
        QTest::keyClick(main.Edit(), Qt::Key_F11);
        QVERIFY(monitor.WaitForSilence(500, 30000));
        main.close();
    }
};

QTEST_MAIN(TestOpenScans)
#include "test_openscans.moc"
