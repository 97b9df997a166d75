#include "app/EditorWidget.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/WaitWithEvents.h"
#include "speech/FormTTS.h"
#include "speech/SpeechController.h"
#include "speech/VoiceCatalog.h"
#include "tests/common/SinkMonitor.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The editor with its real engines, used as a reader does, heard at the test sound
// server's null sink.
class TestHeard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    std::unique_ptr<ProgramWindows> Start(const QByteArray &settings)
    {
        QFile file(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        file.open(QIODevice::WriteOnly);
        file.write(settings);
        file.close();
        AppLifetime::Instance().Reset();
        StartupOptions options;
        options.paths = AppPaths::InDirectory(m_dir.path(), QCoreApplication::applicationDirPath());
        options.splash = false;
        options.firstRunWindow = false;
        auto windows = StartProgram(options);
        windows->main->Edit()->setFocus();
        return windows;
    }

    static QByteArray CatalanVoice()
    {
        return QByteArray::number(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
    }

    // How much sound espeak-ng itself makes of the text, in the Catalan voice.
    qint64 SoundOfEspeak(const QString &text)
    {
        const QString wav = m_dir.filePath(QStringLiteral("reference.wav"));
        if (QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "ca", "-w", wav, text}) != 0)
            return -1;
        return SinkMonitor::SoundMsOfWav(wav);
    }

    static void Close(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        windows.main->close();
    }

private slots:
    // The blank typed after a full stop must not cut off the sentence being read.
    void theSentenceTypedIsHeardWhole()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nLLEGIR PARAULES=SI\r\nLLEGIR FRASE=SI\r\n");
        EditorWidget *edit = windows->main->Edit();
        QTest::keyClicks(edit, QStringLiteral("casa Hola mon"));
        QVERIFY(monitor.WaitForSound(10000));
        QVERIFY(monitor.WaitForSilence(500, 20000));
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_Period);
        QTest::keyClick(edit, Qt::Key_Space);
        QVERIFY(monitor.WaitForSound(10000));
        QVERIFY(monitor.WaitForSilence(700, 30000));
        const qint64 sentence = SoundOfEspeak(QStringLiteral("casa Hola mon."));
        QVERIFY2(monitor.SoundMs() >= sentence * 9 / 10,
                 qPrintable(QStringLiteral("heard %1 ms of a %2 ms sentence").arg(monitor.SoundMs()).arg(sentence)));
        QCOMPARE(edit->toPlainText(), QStringLiteral("casa Hola mon. "));
        Close(*windows);
    }

    // With mouse-up reading on, a plain click selects nothing and says nothing: the
    // reading under way goes on.
    void aClickDoesNotStopTheReading()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nLLEGIR A LAIXECAR EL CLIC=SI\r\n");
        EditorWidget *edit = windows->main->Edit();
        const QString text = QStringLiteral("Avui fa sol i anem a la platja a banyar-nos amb els amics.");
        edit->setPlainText(text);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F7);
        QVERIFY(monitor.WaitForSound(10000));
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(monitor.WaitForSilence(700, 30000));
        const qint64 whole = SoundOfEspeak(text);
        QVERIFY2(monitor.SoundMs() >= whole * 9 / 10,
                 qPrintable(QStringLiteral("heard %1 ms of %2 ms").arg(monitor.SoundMs()).arg(whole)));
        Close(*windows);
    }

    // With no voice ever chosen, the list shows the voice that is heard: the session
    // language's, so that OK in the first-run window stores what the user heard.
    void theFirstRunShowsTheVoiceInUse()
    {
        qputenv("LC_ALL", "ca_ES.UTF-8");
        auto windows = Start("");
        qunsetenv("LC_ALL");
        const int selected = windows->speech->SelectedIndex();
        QCOMPARE(selected, VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
        QCOMPARE(VoiceCatalog::EspeakVoices().at(selected).language, QStringLiteral("ca"));
        Close(*windows);
    }
};

QTEST_MAIN(TestHeard)
#include "test_heard.moc"
