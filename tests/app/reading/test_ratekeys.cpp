#include "app/reading/ReaderCommands.h"
#include "app/reading/ReadingSession.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

// Alt+Up and Alt+Down in the window, with espeak-ng's Catalan heard at the test sound
// server's null sink.
class TestRateKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_text = QStringLiteral(
        "El gat dorm al sofà de la sala gran mentre plou a fora. "
        "La gossa juga amb la pilota vermella al jardí del veí. "
        "Després tots dos mengen junts a la cuina de la casa.");

    std::unique_ptr<ProgramWindows> Start(int rate)
    {
        const QByteArray settings = "[tts]\r\nNumero sintetitzador="
                                    + QByteArray::number(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")))
                                    + "\r\nvelocitat=" + QByteArray::number(rate) + "\r\n";
        if (!WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")), settings))
            qFatal("cannot write the test's settings file");
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        windows->main->Edit()->setPlainText(m_text);
        windows->main->Edit()->setFocus();
        return windows;
    }

    static void Close(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        windows.main->close();
    }

    QString StoredRate() const
    {
        SettingsStore store(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        return store.ReadString(QStringLiteral("tts"), QStringLiteral("velocitat"), QString());
    }

    static QString Announced(ProgramWindows &windows)
    {
        const auto *label = windows.main->statusBar()->findChild<QLabel *>(QStringLiteral("StatusAnnouncement"));
        return label ? label->text() : QString();
    }

    static int RateBar(ProgramWindows &windows)
    {
        return windows.speechWindow->findChild<QSlider *>(QStringLiteral("tbRate"))->value();
    }

private slots:
    void initTestCase()
    {
        const QString why = SinkMonitor::Unavailable();
        if (!why.isEmpty())
            QFAIL(qPrintable(QStringLiteral("no sound server to listen to (test.sh starts one): ") + why));
    }

    // While the first sentence is heard, Alt+Up three times: the rest of the text is read
    // on from the second sentence, faster, every word heard once and in order.
    void fasterFromTheNextSentence()
    {
        SinkMonitor monitor;
        QVERIFY(monitor.Start());
        auto windows = Start(0);
        EditorWidget *edit = windows->main->Edit();
        QList<std::pair<int, QString>> readings;
        QHash<UtteranceId, int> starts;
        struct Word
        {
            int position;
            qint64 ms;
        };
        QList<Word> words;
        QElapsedTimer clock;
        clock.start();
        connect(&windows->triggers->Session(), &ReadingSession::partStarted, this,
                [&](UtteranceId id, int start, const QString &text) {
                    readings.append({start, text});
                    starts.insert(id, start);
                });
        connect(windows->speech.get(), &SpeechController::wordHeard, this, [&](UtteranceId id, int start, int) {
            if (starts.contains(id))
                words.append({starts.value(id) + start, clock.elapsed()});
        });
        // What the reading session tells its followers (the highlight, the kept place).
        QList<int> told;
        connect(&windows->triggers->Session(), &ReadingSession::wordHeard, this,
                [&told](UtteranceId, int position, int) { told << position; });
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 2, 20000);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(edit, Qt::Key_Up, Qt::AltModifier);
        QTRY_COMPARE(RateBar(*windows), 3);
        QCOMPARE(StoredRate(), QStringLiteral("3"));
        QTRY_VERIFY_WITH_TIMEOUT(readings.size() == 2 && !windows->triggers->Session().Reading(), 60000);
        QVERIFY(monitor.WaitForSilence(500, 30000));
        QVERIFY(monitor.SoundMs() > 0);

        const int second = int(m_text.indexOf(QStringLiteral("La gossa")));
        QCOMPARE(readings.at(1), std::pair(second, m_text.mid(second)));
        // The second sentence's first word ends the first reading as it begins: the
        // engine tells it in both, and it is heard whole from the second. Every other
        // word is told once, in order.
        QList<int> heard;
        for (const Word &word : std::as_const(words))
            if (heard.isEmpty() || heard.last() != word.position)
                heard << word.position;
        QList<int> expected;
        for (qsizetype i = 0; i < m_text.size(); ++i)
            if (i == 0 || m_text.at(i - 1) == u' ')
                expected << int(i);
        QCOMPARE(heard, expected);
        // The followers are told every word once: the first reading's start of the word
        // where the new rate begins is not passed on.
        QCOMPARE(told, expected);

        // Characters per second heard in the first sentence, and in the rest.
        const auto pace = [&words](int from, int to) {
            qsizetype first = -1, last = -1;
            for (qsizetype i = 0; i < words.size(); ++i)
                if (words.at(i).position >= from && words.at(i).position < to) {
                    first = first < 0 ? i : first;
                    last = i;
                }
            const qint64 ms = words.at(last).ms - words.at(first).ms;
            return ms > 0 ? double(words.at(last).position - words.at(first).position) / double(ms) : 0.0;
        };
        const double before = pace(0, second);
        const double after = pace(second + 1, int(m_text.size()));
        QVERIFY2(after > before * 1.2, qPrintable(QStringLiteral("%1 characters a second before, %2 after")
                                                      .arg(before).arg(after)));
        Close(*windows);
    }

    // At the ends of the rate bar the keys change nothing and the status line says so,
    // in the interface language;
    // without a reading the rate changes all the same.
    void theEndsOfTheRateBarAreSaid()
    {
        auto windows = Start(10);
        EditorWidget *edit = windows->main->Edit();
        QTest::keyClick(edit, Qt::Key_Up, Qt::AltModifier);
        QTRY_COMPARE(Announced(*windows), RateLimitText(windows->languages->LanguageIndex(), true));
        QCOMPARE(RateBar(*windows), 10);
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QTRY_COMPARE(RateBar(*windows), 9);
        QCOMPARE(StoredRate(), QStringLiteral("9"));
        Close(*windows);

        windows = Start(-10);
        QTest::keyClick(windows->main->Edit(), Qt::Key_Down, Qt::AltModifier);
        QTRY_COMPARE(Announced(*windows), RateLimitText(windows->languages->LanguageIndex(), false));
        QCOMPARE(RateBar(*windows), -10);
        QCOMPARE(StoredRate(), QStringLiteral("-10"));
        Close(*windows);
    }
};

QTEST_MAIN(TestRateKeys)
#include "test_ratekeys.moc"
