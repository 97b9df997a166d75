#include "app/reading/ReadingTriggers.h"
#include "app/shell/Startup.h"
#include "app/view/ReadingView.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"

#include <QTemporaryDir>
#include <QtTest>

// Word by word with the syllables shown, heard at the test sound server's null sink.
class TestViewHeard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        const QString why = SinkMonitor::Unavailable();
        if (!why.isEmpty())
            QFAIL(qPrintable(QStringLiteral("no sound server to listen to (test.sh starts one): ") + why));
    }

    // F10 says "ca", "sa", then "casa", each heard, and goes on to the next word.
    void wordByWordSaysTheSyllablesThenTheWord()
    {
        const int voice = VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"));
        QVERIFY(WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")),
                               "[tts]\r\nNumero sintetitzador=" + QByteArray::number(voice)
                                   + "\r\n[Vista]\r\nSIL·LABES=SI\r\n"));
        SinkMonitor monitor;
        START_LISTENING(monitor);
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        QVERIFY(windows->readingView->Settings().syllables);
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(QStringLiteral("casa gran"));
        QVERIFY(ShowActive(windows->main.get()));
        edit->setFocus();
        QStringList readings;
        connect(&windows->triggers->Session(), &ReadingSession::partStarted, edit,
                [&readings](UtteranceId, int, const QString &text) { readings << text.trimmed(); });
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F10);
        QTRY_VERIFY_WITH_TIMEOUT(readings.size() >= 4 && ended.size() >= 4, 30000);
        QCOMPARE(readings.mid(0, 4), (QStringList{"ca", "sa", "casa", "gran"}));
        QVERIFY2(monitor.WaitForSound(15000), "nothing was heard");
        QVERIFY(monitor.WaitForSilence(700, 30000));
        // Four readings are longer than the word alone: the syllables were heard too.
        QVERIFY2(monitor.SoundMs() >= 600, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        QCOMPARE(edit->toPlainText(), QStringLiteral("casa gran"));
        windows->main->Document().SetModified(false);
        windows->main->close();
    }
};

QTEST_MAIN(TestViewHeard)
#include "test_viewheard.moc"
