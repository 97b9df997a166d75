#include "app/reading/ReadingSession.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The reader's keys in the window, with the real espeak-ng voice heard at the test
// sound server's null sink: read from the caret, pause and go on, next sentence.
class TestReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_text = QStringLiteral("El gat dorm al sofà de la sala. La gossa juga amb la pilota vermella al jardí. "
                                          "Després tots dos mengen junts a la cuina.");

    std::unique_ptr<ProgramWindows> Start(const QByteArray &voiceName = {})
    {
        const int number = voiceName.isEmpty() ? VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES"))
                                               : int(VoiceCatalog::EspeakVoices().size()) + 1;
        QByteArray voice = "[tts]\r\nNumero sintetitzador=" + QByteArray::number(number) + "\r\n";
        if (!voiceName.isEmpty())
            voice += "Nom sintetitzador=" + voiceName + "\r\n";
        if (!WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")), voice))
            qFatal("cannot write the test's settings file");
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        windows->main->Edit()->setPlainText(m_text);
        windows->main->Edit()->setFocus();
        return windows;
    }

    qint64 SoundOfEspeak(const QString &text)
    {
        const QString wav = m_dir.filePath(QStringLiteral("reference.wav"));
        if (QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "ca", "-w", wav, text}) != 0)
            return -1;
        return SinkMonitor::SoundMsOfWav(wav);
    }

    static void PlaceCaret(QPlainTextEdit *edit, int position)
    {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(position);
        edit->setTextCursor(cursor);
    }

    int Second() const { return int(m_text.indexOf(QStringLiteral("La gossa"))); }
    int Third() const { return int(m_text.indexOf(QStringLiteral("Després"))); }

    static void Select(QPlainTextEdit *edit, int from, int to)
    {
        QTextCursor selection = edit->textCursor();
        selection.setPosition(from);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        edit->setTextCursor(selection);
    }

    QList<int> WordStarts() const
    {
        QList<int> words;
        for (qsizetype i = 0; i < m_text.size(); ++i)
            if (i == 0 || m_text.at(i - 1) == u' ')
                words << int(i);
        return words;
    }

    static void Close(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        windows.main->close();
    }

    // Every reading of the document started, as (start, text), and every word heard of
    // them, as its document position.
    struct Heard
    {
        QList<std::pair<int, QString>> readings;
        QList<int> words;
        QHash<UtteranceId, int> starts;
    };
    static void Listen(ProgramWindows &windows, Heard &heard)
    {
        QObject::connect(&windows.triggers->Session(), &ReadingSession::partStarted, windows.main.get(),
                         [&heard](UtteranceId id, int start, const QString &text) {
                             heard.readings.append({start, text});
                             heard.starts.insert(id, start);
                         });
        QObject::connect(windows.speech.get(), &SpeechController::wordHeard, windows.main.get(),
                         [&heard](UtteranceId id, int start, int) {
                             if (heard.starts.contains(id))
                                 heard.words.append(heard.starts.value(id) + start);
                         });
    }

private slots:
    void initTestCase()
    {
        const QString why = SinkMonitor::Unavailable();
        if (!why.isEmpty())
            QFAIL(qPrintable(QStringLiteral("no sound server to listen to (test.sh starts one): ") + why));
    }

    // Shift+F7 from the middle of a word of the second sentence reads from that word on.
    void readFromTheCaretHearsTheRest()
    {
        SinkMonitor monitor;
        QVERIFY(monitor.Start());
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        Heard heard;
        Listen(*windows, heard);
        const int gossa = int(m_text.indexOf(QStringLiteral("gossa")));
        PlaceCaret(edit, gossa + 2);
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F7, Qt::ShiftModifier);
        QVERIFY(ended.wait(30000));
        QVERIFY(monitor.WaitForSilence(500, 30000));
        QCOMPARE(heard.readings.size(), 1);
        QCOMPARE(heard.readings.first(), std::pair(gossa, m_text.mid(gossa)));
        const qint64 rest = SoundOfEspeak(m_text.mid(gossa));
        const qint64 whole = SoundOfEspeak(m_text);
        QVERIFY2(monitor.SoundMs() >= rest * 9 / 10 && monitor.SoundMs() < (rest + whole) / 2,
                 qPrintable(QStringLiteral("heard %1 ms; the rest is %2 ms, all %3 ms")
                                .arg(monitor.SoundMs()).arg(rest).arg(whole)));
        QCOMPARE(edit->textCursor().position(), gossa + 2);
        Close(*windows);
    }

    // F12 silences the voice and leaves the caret at the word heard last; F12 again
    // reads on from there: no word is skipped, and only the one paused in is heard twice.
    void pauseAndGoOnSkipsNothing()
    {
        SinkMonitor monitor;
        QVERIFY(monitor.Start());
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        Heard heard;
        Listen(*windows, heard);
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.size() >= 5, 20000);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY(windows->triggers->Session().Paused());
        const int paused = heard.words.last();
        QVERIFY(!edit->textCursor().hasSelection());
        QCOMPARE(edit->textCursor().position(), paused);
        monitor.Clear();
        QVERIFY(monitor.WaitForSilence(400, 5000));
        QVERIFY2(monitor.SoundMs() <= 100, qPrintable(QStringLiteral("heard %1 ms after F12").arg(monitor.SoundMs())));
        ended.clear();
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_COMPARE(heard.readings.size(), 2);
        QCOMPARE(heard.readings.last(), std::pair(paused, m_text.mid(paused)));
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 30000);
        QVERIFY(!windows->triggers->Session().Paused());
        // Every word of the text heard in order, the one paused in twice.
        QList<int> expected = WordStarts();
        expected.insert(expected.indexOf(paused), paused);
        QCOMPARE(heard.words, expected);
        Close(*windows);
    }

    // A reading from the caret is given to the speech a part at a time, each part
    // beginning where the last ended: every word is heard once, in order; F11 stops
    // the parts still to come.
    void aLongReadingGoesOnPartAfterPart()
    {
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        windows->triggers->Session().SetLongestPart(40);
        Heard heard;
        Listen(*windows, heard);
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_F7, Qt::ShiftModifier);
        const auto readToTheEnd = [&] {
            return !heard.readings.isEmpty()
                && heard.readings.last().first + heard.readings.last().second.size() == m_text.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(readToTheEnd() && !windows->triggers->Session().Reading(), 60000);
        QString whole;
        for (const auto &[start, part] : std::as_const(heard.readings)) {
            QCOMPARE(start, int(whole.size()));
            QVERIFY(part.size() <= 40);
            whole += part;
        }
        QCOMPARE(whole, m_text);
        QCOMPARE(heard.words, WordStarts());

        heard.readings.clear();
        heard.words.clear();
        QTest::keyClick(edit, Qt::Key_F7, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!heard.words.isEmpty() && heard.readings.size() == 1, 20000);
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY(!windows->triggers->Session().Reading());
        ended.clear();
        QVERIFY(!ended.wait(1500));
        QCOMPARE(heard.readings.size(), 1);
        Close(*windows);
    }

    // Alt+Right while reading skips the rest of the sentence being read; not reading,
    // it moves the caret to the next sentence and says that sentence alone.
    void nextSentenceSkipsTheSentence()
    {
        SinkMonitor monitor;
        QVERIFY(monitor.Start());
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        Heard heard;
        Listen(*windows, heard);
        const int second = Second();
        const int third = Third();
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        monitor.Clear();
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_VERIFY_WITH_TIMEOUT(!heard.words.isEmpty(), 20000);
        QTest::keyClick(edit, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 2, 5000);
        QCOMPARE(heard.readings.last(), std::pair(second, m_text.mid(second)));
        // The sentence read on lies on the band behind the word heard.
        const auto band = [edit] {
            const QList<QTextEdit::ExtraSelection> marks = edit->extraSelections();
            return marks.size() == 2 ? std::pair(marks.first().cursor.selectionStart(), marks.first().cursor.selectionEnd())
                                     : std::pair(-1, -1);
        };
        QTRY_COMPARE_WITH_TIMEOUT(band(), std::pair(second, third - 1), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!windows->triggers->Session().Reading(), 30000);
        QVERIFY(monitor.WaitForSilence(500, 30000));
        const qint64 whole = SoundOfEspeak(m_text);
        const qint64 first = SoundOfEspeak(m_text.left(second));
        QVERIFY2(monitor.SoundMs() <= whole - first / 2,
                 qPrintable(QStringLiteral("heard %1 ms of %2 ms; the first sentence is %3 ms")
                                .arg(monitor.SoundMs()).arg(whole).arg(first)));
        for (int word : std::as_const(heard.words))
            QVERIFY2(word < m_text.indexOf(QStringLiteral("sofà")) || word >= second, "a word of the skipped sentence");

        PlaceCaret(edit, second + 3);
        QTest::keyClick(edit, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 3, 5000);
        QCOMPARE(heard.readings.last(), std::pair(third, m_text.mid(third)));
        QCOMPARE(edit->textCursor().position(), third);
        QTest::keyClick(edit, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 4, 5000);
        QCOMPARE(heard.readings.last(), std::pair(second, QStringLiteral("La gossa juga amb la pilota vermella al jardí.")));
        Close(*windows);
    }

    // The reader's keys where there is little or nothing to read, or nothing may start:
    // each reading started is a true part of the text, which stays as it was.
    void keysOnTheEdgesReadOnlyTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("exporting");
        QTest::addColumn<bool>("reads");
        QTest::newRow("empty text") << QString() << 0 << false << false;
        QTest::newRow("blanks only") << QStringLiteral("  \n\n ") << 3 << false << false;
        QTest::newRow("at the very end") << m_text << int(m_text.size()) << false << true;
        QTest::newRow("during an export") << m_text << 10 << true << false;
    }

    void keysOnTheEdgesReadOnlyTheText()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, exporting);
        QFETCH(bool, reads);
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(text);
        PlaceCaret(edit, caret);
        Heard heard;
        Listen(*windows, heard);
        windows->gate->SetExporting(exporting);
        const QList<std::pair<int, Qt::KeyboardModifiers>> keys = {
            {Qt::Key_F7, Qt::ShiftModifier}, {Qt::Key_F12, Qt::NoModifier}, {Qt::Key_F12, Qt::NoModifier},
            {Qt::Key_F12, Qt::NoModifier},   {Qt::Key_Right, Qt::AltModifier}, {Qt::Key_Left, Qt::AltModifier},
            {Qt::Key_Right, Qt::AltModifier}};
        for (const auto &[key, modifiers] : keys) {
            QTest::keyClick(edit, Qt::Key(key), modifiers);
            QCoreApplication::processEvents();
        }
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY_WITH_TIMEOUT(!windows->triggers->Session().Reading(), 20000);
        windows->gate->SetExporting(false);
        QCOMPARE(edit->toPlainText(), text);
        QCOMPARE(!heard.readings.isEmpty(), reads);
        for (const auto &[start, read] : std::as_const(heard.readings))
            QCOMPARE(text.mid(start, read.size()), read);
        Close(*windows);
    }

    // Paused inside a selection read with F8, F12 reads on from the word paused at to
    // the end of the selection, not of the text.
    void goingOnInASelectionEndsWithTheSelection()
    {
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        Heard heard;
        Listen(*windows, heard);
        const int second = Second();
        const int third = Third();
        Select(edit, second, third);
        QTest::keyClick(edit, Qt::Key_F8);
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.size() >= 3, 20000);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY(windows->triggers->Session().Paused());
        const int paused = heard.words.last();
        QVERIFY(!edit->textCursor().hasSelection());
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_COMPARE(heard.readings.size(), 2);
        QCOMPARE(heard.readings.last(), std::pair(paused, m_text.mid(paused, third - paused)));
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY(!windows->triggers->Session().Reading());
        Close(*windows);
    }

    // The library's man's voice tells no words, as its very first reading already
    // knows: F7 reads a sentence at a time, so F12 pauses at the start of the sentence
    // being heard and F12 again reads on from there; paused inside a selection read
    // with F8, F12 reads on to the end of the selection.
    void aVoiceWithoutWordsPausesAtSentenceStarts()
    {
        const QByteArray upctv = "UPCTV - Home - Català";
        auto windows = Start(upctv);
        QCOMPARE(windows->speech->SelectedVoiceName(), QString::fromUtf8(upctv));
        EditorWidget *edit = windows->main->Edit();
        Heard heard;
        Listen(*windows, heard);
        const int second = Second();
        const int third = Third();
        // The library's speech holds the thread while it is heard: F12 comes from within.
        int pauseAt = second;
        bool paused = false;
        QObject::connect(&windows->triggers->Session(), &ReadingSession::partStarted, edit, [edit, &pauseAt, &paused](UtteranceId, int start) {
            if (start == pauseAt && !std::exchange(paused, true))
                QMetaObject::invokeMethod(edit, [edit] { QTest::keyClick(edit, Qt::Key_F12); }, Qt::QueuedConnection);
        });
        using Readings = QList<std::pair<int, QString>>;
        QTest::keyClick(edit, Qt::Key_F7);
        QTRY_VERIFY_WITH_TIMEOUT(windows->triggers->Session().Paused(), 30000);
        QCOMPARE(heard.readings, (Readings{{0, m_text.left(second)}, {second, m_text.mid(second, third - second)}}));
        QCOMPARE(edit->textCursor().position(), second);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY_WITH_TIMEOUT(heard.readings.size() >= 3, 30000);
        QCOMPARE(heard.readings.at(2), std::pair(second, m_text.mid(second, third - second)));
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY_WITH_TIMEOUT(!windows->triggers->Session().Reading(), 30000);

        const int selectionEnd = third + int(QStringLiteral("Després").size());
        Select(edit, second, selectionEnd);
        heard.readings.clear();
        pauseAt = third;
        paused = false;
        QTest::keyClick(edit, Qt::Key_F8);
        QTRY_VERIFY_WITH_TIMEOUT(windows->triggers->Session().Paused(), 30000);
        QCOMPARE(heard.readings, (Readings{{second, m_text.mid(second, third - second)}, {third, QStringLiteral("Després")}}));
        QCOMPARE(edit->textCursor().position(), third);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY_WITH_TIMEOUT(heard.readings.size() == 3 && !windows->triggers->Session().Reading(), 30000);
        QCOMPARE(heard.readings.last(), std::pair(third, QStringLiteral("Després")));
        QCOMPARE(edit->toPlainText(), m_text);
        Close(*windows);
    }

    // The one-hand keyboard takes every key release: Shift+F7 and F12 act as they go
    // down, Alt+Right goes through as a key with Alt; F7 still reads nothing.
    void readerKeysWorkWithTheOneHandKeyboardOn()
    {
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        windows->oneHand->MenuTeclatAmbUnaMaClick();
        QVERIFY(windows->oneHand->OneHandOn());
        Heard heard;
        Listen(*windows, heard);
        const int gossa = int(m_text.indexOf(QStringLiteral("gossa")));
        PlaceCaret(edit, gossa + 2);
        QTest::keyClick(edit, Qt::Key_F7);
        QTest::keyClick(edit, Qt::Key_F7, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.size() >= 2, 20000);
        QCOMPARE(heard.readings, (QList<std::pair<int, QString>>{{gossa, m_text.mid(gossa)}}));
        QTest::keyClick(edit, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 2, 5000);
        QCOMPARE(heard.readings.last(), std::pair(Third(), m_text.mid(Third())));
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.last() > Third(), 20000);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY(windows->triggers->Session().Paused());
        const int paused = heard.words.last();
        QCOMPARE(edit->textCursor().position(), paused);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 3, 5000);
        QCOMPARE(heard.readings.last(), std::pair(paused, m_text.mid(paused)));
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY(windows->triggers->Session().Paused());
        QCOMPARE(edit->toPlainText(), m_text);
        windows->oneHand->MenuTeclatAmbUnaMaClick();
        Close(*windows);
    }

    // A document of one long line (typed or pasted: opening refuses such lines), with
    // no sentence end in it: each key reads a bounded part that begins and ends between
    // words, and the text stays whole.
    void aLongLineIsReadABoundedPartAtATime()
    {
        auto windows = Start();
        EditorWidget *edit = windows->main->Edit();
        const QString line = QStringLiteral("muntanyes blanques i rierols transparents, ").repeated(60000);
        edit->setPlainText(line);
        PlaceCaret(edit, int(line.size()) / 2 + 5);
        Heard heard;
        Listen(*windows, heard);
        // A true part of the line, from a word's start to a blank.
        const auto between = [&line](int start, const QString &part) {
            return !part.isEmpty() && line.mid(start, part.size()) == part && start > 0 && line.at(start - 1) == u' '
                && part.endsWith(u' ');
        };
        QTest::keyClick(edit, Qt::Key_F7, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.size() >= 2, 30000);
        QCOMPARE(heard.readings.size(), 1);
        const auto [first, part] = heard.readings.first();
        QVERIFY(first <= line.size() / 2 + 5 && part.size() <= 20000);
        QVERIFY(between(first, part));
        QTest::keyClick(edit, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 2, 10000);
        const auto [jumped, rest] = heard.readings.last();
        QVERIFY(jumped > first && jumped - first <= 8000 && rest.size() <= 20000);
        QVERIFY(between(jumped, rest));
        QTRY_VERIFY_WITH_TIMEOUT(heard.words.last() >= jumped, 20000);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_VERIFY_WITH_TIMEOUT(windows->triggers->Session().Paused(), 10000);
        const int paused = heard.words.last();
        QCOMPARE(edit->textCursor().position(), paused);
        QTest::keyClick(edit, Qt::Key_F12);
        QTRY_COMPARE_WITH_TIMEOUT(heard.readings.size(), 3, 10000);
        QCOMPARE(heard.readings.last().first, paused);
        QTest::keyClick(edit, Qt::Key_F11);
        QTRY_VERIFY_WITH_TIMEOUT(!windows->triggers->Session().Reading(), 10000);
        QCOMPARE(edit->toPlainText(), line);
        Close(*windows);
    }

    // Reading stopped with F11 keeps the word heard last for that file, beside the
    // settings; opening it again puts the caret there, unless the file changed since.
    void reopeningAFileGoesBackToTheWordHeardLast()
    {
        const QString document = m_dir.filePath(QStringLiteral("conte.txt"));
        QVERIFY(WriteWholeFile(document, m_text.toUtf8()));
        int stopped = -1;
        {
            auto windows = Start();
            EditorWidget *edit = windows->main->Edit();
            Heard heard;
            Listen(*windows, heard);
            QVERIFY(windows->main->LoadCommandLineFile(document));
            QTest::keyClick(edit, Qt::Key_F7);
            QTRY_VERIFY_WITH_TIMEOUT(heard.words.size() >= 4, 20000);
            QTest::keyClick(edit, Qt::Key_F11);
            QTRY_VERIFY(!windows->triggers->Session().Reading());
            stopped = heard.words.last();
            // The same file opened again while it is open goes back to the place too.
            PlaceCaret(edit, 0);
            windows->main->Documents().DropFile(document);
            QCOMPARE(edit->textCursor().position(), stopped);
            // Word by word keeps the place of the word it stopped at.
            QVERIFY(ShowActive(windows->main.get()));
            edit->setFocus();
            PlaceCaret(edit, 0);
            const qsizetype before = heard.readings.size();
            QTest::keyClick(edit, Qt::Key_F10);
            QTRY_VERIFY_WITH_TIMEOUT(heard.readings.size() >= before + 2, 20000);
            QTest::keyClick(edit, Qt::Key_F11);
            QTRY_VERIFY(!windows->triggers->Session().Reading());
            const int wordByWord = heard.readings.last().first;
            QVERIFY(wordByWord > 0 && wordByWord != stopped);
            windows->main->Documents().DropFile(document);
            QCOMPARE(edit->textCursor().position(), wordByWord);
            stopped = wordByWord;
            Close(*windows);
        }
        QVERIFY(stopped > 0);
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("tolvanet-places.txt"))));
        QFile unchanged(document);
        QVERIFY(unchanged.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(unchanged.readAll()), m_text);
        {
            auto windows = Start();
            QVERIFY(windows->main->LoadCommandLineFile(document));
            QCOMPARE(windows->main->Edit()->textCursor().position(), stopped);
            Close(*windows);
        }
        // A place past the end of the file as it is now, from a state file written
        // elsewhere, opens at the top.
        const QString places = m_dir.filePath(QStringLiteral("tolvanet-places.txt"));
        QFile stateFile(places);
        QVERIFY(stateFile.open(QIODevice::ReadOnly));
        const QByteArray state = stateFile.readAll();
        stateFile.close();
        QVERIFY(state.startsWith(QByteArray::number(stopped) + '\t'));
        QVERIFY(WriteWholeFile(places, QByteArray::number(m_text.size() + 50) + state.mid(state.indexOf('\t'))));
        {
            auto windows = Start();
            QVERIFY(windows->main->LoadCommandLineFile(document));
            QCOMPARE(windows->main->Edit()->textCursor().position(), 0);
            QCOMPARE(windows->main->Edit()->toPlainText(), m_text);
            Close(*windows);
        }
        // A file changed since, shortened or grown, opens at the top, whole.
        for (const QString &changed : {m_text.left(20), m_text + QStringLiteral(" Fi.")}) {
            QVERIFY(WriteWholeFile(document, changed.toUtf8()));
            auto windows = Start();
            QVERIFY(windows->main->LoadCommandLineFile(document));
            QCOMPARE(windows->main->Edit()->textCursor().position(), 0);
            QCOMPARE(windows->main->Edit()->toPlainText(), changed);
            Close(*windows);
        }
    }
};

QTEST_MAIN(TestReader)
#include "test_reader.moc"
