#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "book/BookExporter.h"
#include "speech/SpeechController.h"
#include "tests/common/EpubCheck.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/FakeSpeechEngines.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kBook = QStringLiteral("Capítol 1\n\nLa guineu viu al bosc.\n\nCapítol 2\n\nEl teixó fa túnels.\n\n"
                                     "Capítol 3\n\nEls ocells canten.\n");

} // namespace

// The read-along book and the audiobook saved from the options menu by the keyboard,
// with the chapter shown as they are made and F11 to stop them.
class TestBookExport : public QObject
{
    Q_OBJECT

    QStringList m_log;
    std::unique_ptr<FakeVoiceEngine> m_voices;
    SpeechEngineSet m_engines;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramWindows> m_windows;

    FormPrincipal &Main() { return *m_windows->main; }
    QString Records() const { return m_dir->filePath(QStringLiteral("records")); }

    // language: the interface language, a row of the language list.
    bool Start(int language = 0)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        // The rendering program beside the editor, as installed.
        if (!QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/SonnerixaWav"),
                         m_dir->filePath(QStringLiteral("SonnerixaWav"))))
            return false;
        QFile settings(m_dir->filePath(QStringLiteral("tolvanet.ini")));
        if (!settings.open(QIODevice::WriteOnly)
            || settings.write("[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA="
                              + QByteArray::number(language) + "\r\n") < 0)
            return false;
        settings.close();
        m_windows = StartProgram(TestStartupOptions(m_dir->path(), &m_engines));
        if (!ShowActive(&Main()))
            return false;
        Main().Document().SetText(kBook);
        Main().Document().SetModified(false);
        Main().ToolBar().nomFitxer->setText(QStringLiteral("bosc"));
        Main().Edit()->setFocus();
        return Main().Edit()->hasFocus();
    }

    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    // Opens "&Opcions" with Alt+O and chooses an item by its letter.
    bool Options(int letter)
    {
        Key(Qt::Key_O, Qt::AltModifier);
        if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }))
            return false;
        if (QApplication::activePopupWidget()->objectName() != QLatin1String("MenuOpcions"))
            return false;
        Key(letter);
        return true;
    }

    // What the records folder holds besides the files named: hidden parts, folders.
    QStringList Leftovers(const QStringList &expected) const
    {
        return EpubCheck::Leftovers(Records(), expected);
    }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no D-Bus session bus: test.sh starts one for the rendering program");
        for (const char *tool : {"lame", "ffmpeg"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is missing: scripts/install-deps.sh --tests installs it").arg(QLatin1String(tool))));
    }

    void init()
    {
        AppLifetime::Instance().Reset();
        m_log.clear();
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
        m_dir.reset();
    }

    void theBookItemSavesAnEpubChapterByChapter()
    {
        QVERIFY(Start());
        QAction *item = Main().ActionFor(QStringLiteral("save-epub"));
        QCOMPARE(item->text(), QStringLiteral("Desar com a llibre amb veu (&EPUB)"));
        QStringList told;
        connect(m_windows->bookExporter.get(), &BookExporter::statusText, this,
                [&told](const QString &text) { told << text; });
        std::optional<ExportResult> result;
        connect(m_windows->bookExporter.get(), &BookExporter::finished, this,
                [&result](const ExportResult &r) { result = r; });
        QVERIFY(Options(Qt::Key_E));
        // Nothing else may start meanwhile: the other exports wait.
        QTRY_VERIFY(m_windows->bookExporter->Busy());
        QVERIFY(!Main().ActionFor(QStringLiteral("save-mp3"))->isEnabled());
        QVERIFY(!Main().ToolBar().nomFitxer->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 120000);
        QVERIFY2(result->ok, qPrintable(result->reason));
        const QString epub = Records() + QStringLiteral("/bosc.epub");
        QCOMPARE(result->file, epub);
        QVERIFY(QFileInfo(epub).size() > 1000);
        for (const char *chapter : {"Capítol 1 de 3", "Capítol 2 de 3", "Capítol 3 de 3"})
            QVERIFY2(told.contains(QString::fromUtf8(chapter)), qPrintable(told.join(" | ")));
        // The status line, as a screen reader reads it, names the book.
        QWidget *line = Main().statusBar()->findChild<QWidget *>(QStringLiteral("StatusAnnouncement"));
        QVERIFY(line);
        const QString heard = QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name);
        QVERIFY2(heard.contains(epub), qPrintable(heard));
        QCOMPARE(Leftovers({QStringLiteral("bosc.epub")}), QStringList());
        QVERIFY(Main().ToolBar().nomFitxer->isEnabled());
        QVERIFY(Main().ActionFor(QStringLiteral("save-mp3"))->isEnabled());
    }

    void whyNoBookWasMadeIsToldInTheInterfaceLanguage()
    {
        QVERIFY(Start(1));  // CASTELLANO
        // No lame where the book looks for it: said before anything is recorded.
        const QString none = m_dir->filePath(QStringLiteral("none"));
        QVERIFY(QDir().mkpath(none));
        m_windows->bookExporter->SetProgramSearchPath({none});
        std::optional<ExportResult> result;
        connect(m_windows->bookExporter.get(), &BookExporter::finished, this,
                [&result](const ExportResult &r) { result = r; });
        // The message waits for the user within the export's end: it is read and closed
        // from the event loop it runs.
        QString why;
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, [&why] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                why = box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        reader.start(50);
        Main().ActionFor(QStringLiteral("save-epub"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 30000);
        QCOMPARE(why, QStringLiteral("No se ha encontrado el programa lame: instale el paquete lame. "
                                     "No se ha creado el libro."));
        QVERIFY(!result->ok && !result->stopped);
        QWidget *line = Main().statusBar()->findChild<QWidget *>(QStringLiteral("StatusAnnouncement"));
        QVERIFY(line);
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name),
                 QStringLiteral("No se ha creado el libro."));
        QCOMPARE(Leftovers({}), QStringList());
    }

    void f11StopsTheAudiobookAndKeepsTheOlderOne()
    {
        QVERIFY(Start());
        QVERIFY(QDir().mkpath(Records()));
        const QString older = Records() + QStringLiteral("/bosc.m4b");
        QFile file(older);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("older audiobook") > 0);
        file.close();
        // Once the second chapter is under way, the user presses F11.
        connect(m_windows->bookExporter.get(), &BookExporter::statusText, this, [this](const QString &text) {
            if (text.startsWith(QStringLiteral("Capítol 2 de")))
                QTimer::singleShot(0, this, [this] { QTest::keyClick(Main().Edit(), Qt::Key_F11); });
        });
        std::optional<ExportResult> result;
        connect(m_windows->bookExporter.get(), &BookExporter::finished, this,
                [&result](const ExportResult &r) { result = r; });
        QVERIFY(Options(Qt::Key_B));
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 120000);
        QVERIFY(!result->ok);
        QVERIFY2(result->stopped, qPrintable(result->reason));
        QFile kept(older);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("older audiobook"));
        QCOMPARE(Leftovers({QStringLiteral("bosc.m4b")}), QStringList());
    }
};

QTEST_MAIN(TestBookExport)
#include "test_bookexport.moc"
