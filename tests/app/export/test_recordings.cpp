#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "export/AudioExporter.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

// The texts the status line is shown anew with, as it is for each announcement.
class Announcements : public QObject
{
public:
    Announcements() { qApp->installEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("StatusAnnouncement"))
            texts << static_cast<QLabel *>(watched)->text();
        return false;
    }
};

// Recordings made from the window with the real rendering program: the name they take,
// what the status line says while and after they are made, and how a long one is stopped.
class TestRecordings : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // The whole program in a folder of its own, with the rendering program beside it.
    std::unique_ptr<ProgramWindows> Start(const QString &folder)
    {
        const QString renderer = QCoreApplication::applicationDirPath() + QStringLiteral("/SonnerixaWav");
        if (!QFile::copy(renderer, folder + QStringLiteral("/SonnerixaWav")))
            return nullptr;
        WriteWholeFile(folder + QStringLiteral("/tolvanet.ini"),
                       "[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=0\r\n");
        auto windows = StartProgram(TestStartupOptions(folder, &m_engines, folder));
        if (!ShowActive(windows->main.get()))
            return nullptr;
        return windows;
    }
    static QString StatusLine(FormPrincipal &main)
    {
        auto *line = main.findChild<QLabel *>(QStringLiteral("StatusAnnouncement"));
        return line ? line->text() : QString();
    }
    static void CloseWithoutSaving(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        QVERIFY(windows.main->close());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no D-Bus session bus for the rendering program's window");
    }
    void init() { ResetProgramAndVoices(); }

    // A named document names its recordings; a new one is "Sintetitzat" again. The status
    // line says in which folder the recording went.
    void theOpenDocumentNamesTheRecording()
    {
        QTemporaryDir dir;
        auto windows = Start(dir.path());
        QVERIFY(windows);
        FormPrincipal &main = *windows->main;
        QLineEdit *name = main.ToolBar().nomFitxer;
        QCOMPARE(name->text(), QStringLiteral("Sintetitzat"));
        const QString letter = dir.filePath(QStringLiteral("carta a la Marta.txt"));
        QVERIFY(WriteWholeFile(letter, "Bon dia, Marta.\n"));
        const QString chapter = dir.filePath(QStringLiteral("Capitol 1..txt"));
        QVERIFY(WriteWholeFile(chapter, "Hi havia una vegada.\n"));

        main.Documents().DropFile(chapter);
        QCOMPARE(name->text(), QStringLiteral("Capitol 1"));
        main.RunCommandById(QStringLiteral("new"));
        QCOMPARE(name->text(), QStringLiteral("Sintetitzat"));
        main.Documents().DropFile(letter);
        QCOMPARE(name->text(), QStringLiteral("carta a la Marta"));

        std::optional<ExportResult> result;
        connect(windows->exporter.get(), &AudioExporter::finished, this, [&](const ExportResult &r) { result = r; });
        QTest::mouseClick(main.ToolBar().wav, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 60000);
        QVERIFY2(result->ok, qPrintable(result->reason));
        const QString records = QDir(dir.filePath(QStringLiteral("records"))).absolutePath();
        QVERIFY(QFileInfo(records + QStringLiteral("/carta a la Marta.wav")).size() > 44);
        QCOMPARE(StatusLine(main),
                 QStringLiteral("Fitxer de so desat: carta a la Marta.wav, a la carpeta %1.").arg(records));
        CloseWithoutSaving(*windows);
    }

    // A long recording shows its progress in the status line, and F11 or the stop button
    // (the one reading control left enabled) end it: the older recording stays as it
    // was, and no message box asks for anything.
    void aLongRecordingShowsProgressAndStops_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F11") << true;
        QTest::newRow("stop button") << false;
    }
    void aLongRecordingShowsProgressAndStops()
    {
        QFETCH(bool, byKey);
        QTemporaryDir dir;
        auto windows = Start(dir.path());
        QVERIFY(windows);
        FormPrincipal &main = *windows->main;
        QStringList sentences;
        for (int i = 0; i < 200; ++i)
            sentences << QStringLiteral("Aquesta és la frase %1 d'un llibre molt llarg.").arg(i);
        main.Document().SetText(sentences.join(u'\n'));
        main.Edit()->setFocus();
        const QString older = dir.filePath(QStringLiteral("records/Sintetitzat.wav"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("records"))));
        QVERIFY(WriteWholeFile(older, "la gravació d'abans"));

        // Told to a screen reader at the start and then at most every ten seconds: each
        // announcement shows the status line anew.
        Announcements announcements;
        QStringList shown;
        QStringList alertsWhileSaving;
        bool pressed = false;
        bool stopEnabled = false;
        bool readEnabled = true;
        connect(windows->exporter.get(), &AudioExporter::progress, &main, [&](int percent) {
            shown << StatusLine(main);
            if (percent < 5 || pressed)
                return;
            pressed = true;
            alertsWhileSaving = announcements.texts;
            stopEnabled = main.ToolBar().parar->isEnabled();
            readEnabled = main.ToolBar().lectura->isEnabled();
            if (byKey)
                QTest::keyClick(main.Edit(), Qt::Key_F11);
            else
                QTest::mouseClick(main.ToolBar().parar, Qt::LeftButton);
        });
        std::optional<ExportResult> result;
        connect(windows->exporter.get(), &AudioExporter::finished, this, [&](const ExportResult &r) { result = r; });
        QTest::mouseClick(main.ToolBar().wav, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 120000);
        QVERIFY2(result->stopped && !result->ok, qPrintable(result->reason));
        QVERIFY(pressed);
        QVERIFY(stopEnabled);
        QVERIFY(!readEnabled);
        QVERIFY2(!shown.filter(QRegularExpression(QStringLiteral("^Desant: \\d+ %$"))).isEmpty(),
                 qPrintable(shown.join(" | ")));
        QVERIFY(shown.size() >= 2);
        QCOMPARE(alertsWhileSaving.filter(QStringLiteral("Desant")), QStringList{QStringLiteral("Desant: 0 %")});
        QCOMPARE(announcements.texts.constLast(),
                 QStringLiteral("S'ha aturat el desament: no s'ha desat cap fitxer de so nou."));
        QCOMPARE(StatusLine(main), announcements.texts.constLast());
        QVERIFY(!QApplication::activeModalWidget());
        QFile kept(older);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("la gravació d'abans"));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("records"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Sintetitzat.wav")});
        CloseWithoutSaving(*windows);
    }
};

QTEST_MAIN(TestRecordings)
#include "test_recordings.moc"
