#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/WaitWithEvents.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"
#include "speech/SpeechController.h"
#include "tests/common/Recordings.h"
#include "tests/common/SilentSpeechService.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/SpeechService.h"
#include "tests/common/StartupFixture.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"

#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

// The editor with its real engines, used as a reader does, heard at the test sound
// server's null sink.
class TestHeard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SpeechService m_service;
    QString m_dictionary;

    std::unique_ptr<ProgramWindows> Start(const QByteArray &settings)
    {
        if (!WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")), settings))
            qFatal("cannot write the test's settings file");
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
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
    void initTestCase()
    {
        const QString why = m_service.Start();
        if (!why.isEmpty())
            QFAIL(qPrintable(why));
        m_dictionary = MakeRecordingsDictionary(m_dir.path());
        QVERIFY2(!m_dictionary.isEmpty(), "espeak-ng or lame could not make the recordings");
    }

    // F7 reads the text aloud in every family, and plays the dictionary's recordings.
    void everyFamilyIsHeardFromTheWindow_data()
    {
        const int espeak = int(VoiceCatalog::EspeakVoices().size());
        const int sapi = int(VoiceCatalog::SpeechDispatcherVoices().size());
        QTest::addColumn<int>("voice");
        QTest::addColumn<QString>("text");
        QTest::newRow("espeak-ng") << CatalanVoice().toInt() << "Bon dia a tothom.";
        QTest::newRow("speech-dispatcher") << espeak << "Good morning to everybody.";
        QTest::newRow("UPCTV") << espeak + sapi << "Bon dia a tothom.";
        QTest::newRow("a WAV recording") << CatalanVoice().toInt() << "gat";
        QTest::newRow("an MP3 recording") << CatalanVoice().toInt() << "gos";
    }
    void everyFamilyIsHeardFromTheWindow()
    {
        QFETCH(int, voice);
        QFETCH(QString, text);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + QByteArray::number(voice) + "\r\n"
                             + DictionarySettings(m_dictionary));
        QCOMPARE(windows->speech->SelectedIndex(), voice);
        windows->main->Edit()->setPlainText(text);
        monitor.Clear();
        QTest::keyClick(windows->main->Edit(), Qt::Key_F7);
        QVERIFY2(monitor.WaitForSound(15000), "nothing was heard");
        QVERIFY(monitor.WaitForSilence(700, 30000));
        QVERIFY2(monitor.SoundMs() >= 300, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        Close(*windows);
    }

    // F7 with the real espeak-ng voice: the highlight moves over the words as they are
    // heard and is gone when the reading ends; the caret, the selection, undo and the
    // modified flag stay as they were.
    void theWordHeardIsHighlighted()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice() + "\r\n");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(QStringLiteral("Bon dia, gent de la casa"));
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Period);
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        const int undoSteps = edit->document()->availableUndoSteps();
        const bool modified = edit->document()->isModified();
        QVERIFY(undoSteps > 0);
        QStringList highlighted;
        connect(windows->speech.get(), &SpeechController::wordHeard, edit, [&] {
            const QList<QTextEdit::ExtraSelection> marks = edit->extraSelections();
            // The word is painted last, over its sentence's band.
            const QString word = marks.isEmpty() ? QString() : marks.last().cursor.selectedText();
            if (highlighted.isEmpty() || highlighted.last() != word)
                highlighted << word;
        });
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F7);
        QVERIFY(ended.wait(20000));
        QCOMPARE(highlighted, QStringList({"Bon", "dia,", "gent", "de", "la", "casa."}));
        QVERIFY(edit->extraSelections().isEmpty());
        QCOMPARE(edit->textCursor().selectionStart(), 0);
        QCOMPARE(edit->textCursor().selectionEnd(), 1);
        QCOMPARE(edit->document()->availableUndoSteps(), undoSteps);
        QCOMPARE(edit->document()->isModified(), modified);
        QCOMPARE(edit->toPlainText(), QStringLiteral("Bon dia, gent de la casa."));
        Close(*windows);
    }

    // With the caret echo on, Backspace is heard (the letter removed), and so is the line
    // that Down reaches.
    void theCaretEchoIsHeard()
    {
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nLLEGIR CURSOR=SI\r\n");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(QStringLiteral("mar\nLa segona línia és prou llarga per sentir-la bé"));
        QTest::keyClick(edit, Qt::Key_End);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QVERIFY2(monitor.WaitForSound(10000), "the letter removed was not heard");
        QVERIFY(monitor.WaitForSilence(500, 20000));
        QCOMPARE(edit->toPlainText().section(u'\n', 0, 0), QStringLiteral("ma"));
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_Down);
        QVERIFY2(monitor.WaitForSound(10000), "the line reached was not heard");
        QVERIFY(monitor.WaitForSilence(700, 30000));
        QVERIFY2(monitor.SoundMs() >= 1000, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        Close(*windows);
    }

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

    // The word before punctuation is heard with it; on a full stop the line comes first
    // and the word after it, neither cut off.
    void theWordBeforePunctuationIsHeard_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("sentence");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("comma") << "Hola" << ", " << false << QStringList{"Hola,"};
        QTest::newRow("full stop with the line") << "Bon dia a tothom" << ". " << true
                                                 << QStringList{"Bon dia a tothom", "tothom."};
    }
    void theWordBeforePunctuationIsHeard()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(bool, sentence);
        QFETCH(QStringList, heard);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nLLEGIR PARAULES=SI\r\nLLEGIR FRASE="
                             + (sentence ? "SI" : "NO") + "\r\n");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(before);
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClicks(edit, typed);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), int(heard.size()), 30000);
        QVERIFY(monitor.WaitForSilence(500, 30000));
        qint64 expected = 0;
        for (const QString &text : heard)
            expected += SoundOfEspeak(text);
        QVERIFY2(monitor.SoundMs() >= expected * 9 / 10,
                 qPrintable(QStringLiteral("heard %1 ms of %2 ms").arg(monitor.SoundMs()).arg(expected)));
        QCOMPARE(edit->toPlainText(), before + typed);
        Close(*windows);
    }

    // A misspelled word echoed is followed by the tone once the word has been heard; a
    // correct word by nothing.
    void aMisspelledWordEchoedIsFollowedByTheTone_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("tone");
        QTest::newRow("misspelled") << "frasse" << true;
        QTest::newRow("correct") << "casa" << false;
    }
    void aMisspelledWordEchoedIsFollowedByTheTone()
    {
        QFETCH(QString, word);
        QFETCH(bool, tone);
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nLLEGIR PARAULES=SI\r\nLLEGIR LLETRES=NO\r\n");
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        QTest::keyClicks(windows->main->Edit(), word + u' ');
        QVERIFY(ended.wait(15000));
        monitor.Clear();
        if (tone) {
            QVERIFY2(monitor.WaitForSound(3000), "no tone after the word");
            QVERIFY(monitor.WaitForSilence(300, 5000));
            QVERIFY2(monitor.SoundMs() >= 120, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        } else {
            monitor.WaitForSound(1500);
            QVERIFY2(monitor.SoundMs() <= 80, qPrintable(QStringLiteral("heard %1 ms").arg(monitor.SoundMs())));
        }
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

    // With an espeak-ng voice stored the window does not wait for a speech service that
    // is still starting; its voices join the list when it answers, in their place,
    // and the voice chosen stays chosen.
    void aStartingSpeechServiceDoesNotHoldTheWindow()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("starting.sock"));
        SilentSpeechService service(socket, true);
        const QByteArray address = qgetenv("SPEECHD_ADDRESS");
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice() + "\r\n");
        const int espeak = int(VoiceCatalog::EspeakVoices().size());
        const int catalan = CatalanVoice().toInt();
        QCOMPARE(windows->speech->SapiCount(), 0);
        QCOMPARE(windows->speech->SelectedIndex(), catalan);
        QCOMPARE(windows->speech->VoiceEntries().size(), espeak + 4);

        service.Answer();
        QTRY_COMPARE_WITH_TIMEOUT(windows->speech->SapiCount(), 1, 10000);
        const QStringList entries = windows->speech->VoiceEntries();
        QCOMPARE(entries.size(), espeak + 5);
        QVERIFY(entries.at(espeak).startsWith(QLatin1String("SAPI - Silent")));
        QVERIFY(entries.at(espeak + 1).startsWith(QLatin1String("UPCTV - Home")));
        QCOMPARE(windows->speech->SelectedIndex(), catalan);
        auto *list = windows->speechWindow->findChild<QListWidget *>(QStringLiteral("ListBoxMotorsDeVeu"));
        QVERIFY(list);
        QCOMPARE(list->count(), espeak + 5);
        QCOMPARE(list->currentRow(), catalan);
        Close(*windows);
        if (address.isEmpty())
            qunsetenv("SPEECHD_ADDRESS");
        else
            qputenv("SPEECHD_ADDRESS", address);
    }

    // The library's voice was chosen while the service was late (its row was then the
    // first after espeak-ng's). The service is late again, past the window's wait: the
    // voice is chosen by its name once the service's voices have joined, and its new
    // row is stored, so that the command line finds it too.
    void theVoiceChosenStaysChosenWhenTheServiceIsLate()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("late.sock"));
        SilentSpeechService service(socket, true);
        const QByteArray address = qgetenv("SPEECHD_ADDRESS");
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
        const int espeak = int(VoiceCatalog::EspeakVoices().size());
        const QByteArray upctv = "UPCTV - Home - Català";
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + QByteArray::number(espeak)
                             + "\r\nNom sintetitzador=" + upctv + "\r\n");
        QCOMPARE(windows->speech->SapiCount(), 0);
        service.Answer();
        QTRY_COMPARE_WITH_TIMEOUT(windows->speech->SapiCount(), 1, 10000);
        QCOMPARE(windows->speech->SelectedIndex(), espeak + 1);
        QCOMPARE(windows->speech->SelectedVoiceName(), QString::fromUtf8(upctv));
        const SettingsStore settings(m_dir.filePath(QStringLiteral("tolvanet.ini")));
        QCOMPARE(settings.ReadString("tts", "Numero sintetitzador", ""), QString::number(espeak + 1));
        auto *list = windows->speechWindow->findChild<QListWidget *>(QStringLiteral("ListBoxMotorsDeVeu"));
        QCOMPARE(list->currentItem()->text(), QString::fromUtf8(upctv));
        // The user's OK stores the voice by row and name.
        windows->speechWindow->open();
        QTest::keyClick(windows->speechWindow.get(), Qt::Key_Return);
        QCOMPARE(settings.ReadString("tts", "Nom sintetitzador", ""), QString::fromUtf8(upctv));
        Close(*windows);
        if (address.isEmpty())
            qunsetenv("SPEECHD_ADDRESS");
        else
            qputenv("SPEECHD_ADDRESS", address);
    }

    // With no voice ever chosen, the list shows the voice that is heard: the session
    // language's, so that OK in the first-run window stores what the user heard. A
    // Catalan session hears festival's ona where she is installed.
    void theFirstRunShowsTheVoiceInUse()
    {
        qputenv("LC_ALL", "ca_ES.UTF-8");
        auto windows = Start("");
        qunsetenv("LC_ALL");
        const int selected = windows->speech->SelectedIndex();
        if (UpctvRenderingProblem({VoiceFamily::Upctv, 1}).isEmpty()) {
            QCOMPARE(windows->speech->VoiceEntries().at(selected), VoiceCatalog::UpctvEntryText(1));
        } else {
            QCOMPARE(selected, VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
            QCOMPARE(VoiceCatalog::EspeakVoices().at(selected).language, QStringLiteral("ca"));
        }
        Close(*windows);
    }

    // Where festival is missing, ona stored as the voice says what to install at start, in
    // the stored language; chosen later, in the language of the window then.
    void aMissingFestivalIsToldInTheInterfaceLanguage()
    {
        const int ona = int(VoiceCatalog::EspeakVoices().size() + VoiceCatalog::SpeechDispatcherVoices().size()) + 1;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + QByteArray::number(ona)
                             + "\r\n[LlibreriaLlegir]\r\nLLENGUA=5\r\n");
        QCOMPARE(windows->speech->SelectedIndex(), ona);
        QCOMPARE(windows->main->statusBar()->currentMessage(),
                 QStringLiteral("The voice UPCTV - Dona - Català needs festival: install festival festival-ca "
                                "festvox-ca-ona-hts (sudo apt install festival festival-ca festvox-ca-ona-hts)."));
        windows->languages->SetLanguageIndex(int(InterfaceLanguage::Castellano));
        windows->languages->ListBoxLlenguatgeClick();
        windows->speech->SetSelectedIndex(ona - 1);
        windows->speech->SelectVoice();
        windows->speech->SetSelectedIndex(ona);
        windows->speech->SelectVoice();
        QVERIFY2(windows->main->statusBar()->currentMessage().startsWith(
                     QStringLiteral("La voz UPCTV - Dona - Català necesita festival: instale festival festival-ca")),
                 qPrintable(windows->main->statusBar()->currentMessage()));
        Close(*windows);
    }
};

QTEST_MAIN(TestHeard)
#include "test_heard.moc"
