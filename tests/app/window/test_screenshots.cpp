#include "app/shell/Startup.h"
#include "app/window/MainWindow.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "windows/FormTTS.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// The windows as a user first sees them, saved as the pictures software centres show:
// with TOLVANET_SCREENSHOT_DIR set the pictures go there (scripts/take-screenshots.sh),
// otherwise into a scratch folder. Either way each must be a drawn window, not a blank.
class TestScreenshots : public QObject, private FakeStartupVoices
{
    Q_OBJECT

    QString m_folder;
    QTemporaryDir m_scratch;

    // Saves the window's own drawing and checks that it holds a picture.
    void Save(QWidget &window, const QString &name)
    {
        const QImage image = window.grab().toImage();
        QCOMPARE(image.size(), window.size() * window.devicePixelRatio());
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 16, qPrintable(name + " looks blank"));
        const QString path = QDir(m_folder).filePath(name);
        QVERIFY2(image.save(path, "PNG"), qPrintable("cannot write " + path));
    }

private slots:
    void initTestCase()
    {
        m_folder = qEnvironmentVariable("TOLVANET_SCREENSHOT_DIR", m_scratch.path());
        QVERIFY(QDir().mkpath(m_folder));
    }
    void init() { ResetProgramAndVoices(); }

    void theEditorAndTheSpeechWindowAreDrawnWhole()
    {
        QTemporaryDir dir;
        // Catalan interface, a voice already chosen: no first-run window.
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"),
                               "[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=0\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        main.resize(900, 600);
        main.Document().SetText(QString::fromUtf8(
            "La casa de la Maria és a prop del riu.\r\n"
            "Cada matí escolta com el vent mou les fulles dels plàtans.\r\n\r\n"
            "2 + 3 * 4 = 14\r\n"));
        main.Document().Select(0, 38);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        Save(main, "editor.png");

        // The speech window carries the main window's long title; it is wide enough for
        // a title bar to show it whole beside its buttons.
        FormTTS &speech = *windows->speechWindow;
        QVERIFY(speech.windowTitle().startsWith(main.BaseCaption()));
        speech.setModal(false);
        speech.show();
        QVERIFY(QTest::qWaitForWindowExposed(&speech));
        QFont bold = speech.font();
        bold.setBold(true);
        QVERIFY(speech.width() > QFontMetrics(bold).horizontalAdvance(speech.windowTitle()));
        speech.setWindowTitle(speech.windowTitle() + QStringLiteral(" - ") + speech.windowTitle());
        QVERIFY(speech.width() > QFontMetrics(bold).horizontalAdvance(speech.windowTitle()));
        speech.setWindowTitle(main.windowTitle());
        speech.resize(900, 600);
        Save(speech, "voices.png");
        speech.hide();

        main.Document().SetModified(false);
        QVERIFY(main.close());
    }
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
