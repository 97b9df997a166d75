#include "core/SettingsStore.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"
#include "export/Subtitles.h"
#include "platform/DesktopWindowsDBus.h"
#include "sonnerixawav/EspeakWavRendering.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/RendererWindow.h"
#include "sonnerixawav/WavFileWriter.h"
#include "sonnerixawav/WavRendering.h"
#include "tests/common/FaultyFiles.h"
#include "tests/common/SubtitleFiles.h"

#include <QDBusConnection>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <cmath>
#include <thread>

using namespace ExportProtocol;

namespace {

// Renders in quarters, each step when the test lets it go, and holds at 100% until let
// go once more; an endless job reports progress until it is stopped.
class SteppedRendering : public WavRendering
{
public:
    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override
    {
        if (endless) {
            while (progress(50))
                std::this_thread::yield();
            *error = QStringLiteral("stopped");
            return false;
        }
        for (int percent = 0; percent <= 100; percent += 25) {
            steps.acquire();
            if (!progress(percent)) {
                *error = QStringLiteral("stopped");
                return false;
            }
        }
        steps.acquire();
        text = job.text;
        wordTimes = job.wordTimesPath;
        QFile file(job.outputPath);
        return file.open(QIODevice::WriteOnly) && file.write("RIFF") == 4;
    }
    QSemaphore steps;
    std::atomic<bool> endless{false};
    QString text;
    QString wordTimes;
};

using TimedWords = QList<std::pair<QString, qint64>>;

// The marks of a spoken text: each word found in turn after the one before, at its time;
// a word given with a leading '|' also starts a sentence.
WordTimes MarksOf(const QString &spoken, const TimedWords &words, qint64 soundMs)
{
    WordTimes times;
    times.soundMs = soundMs;
    qsizetype from = 0;
    for (const auto &[given, ms] : words) {
        const bool sentence = given.startsWith(QLatin1Char('|'));
        const QString word = sentence ? given.mid(1) : given;
        const qsizetype at = spoken.indexOf(word, from);
        if (sentence)
            times.marks.append({VoiceCatalog::SpokenMark::Kind::Sentence, at, 0, ms});
        times.marks.append({VoiceCatalog::SpokenMark::Kind::Word, at, word.size(), ms});
        from = at + word.size();
    }
    return times;
}


} // namespace

class TestExportRenderer : public QObject
{
    Q_OBJECT

private slots:
    void soundFileNamesStayInTheRecordsFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain") << "carta" << true;
        QTest::newRow("blanks and accents") << "la meva lliçó" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("folder") << "../../Music/x" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("parent") << ".." << false;
        QTest::newRow("dots inside") << "x..y" << false;
        QTest::newRow("final dot, which .wav makes a ..") << "Fi." << false;
        QTest::newRow("dot inside") << "Cap. 1" << true;
        QTest::newRow("tab") << "a\tb" << false;
        QTest::newRow("line break") << "a\nb" << false;
        QTest::newRow("too long") << QString(250, QLatin1Char('x')) << false;
    }
    void soundFileNamesStayInTheRecordsFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(IsUsableSoundFileName(name), usable);
        const ExportControls idle = ExportControlsFor(name, false);
        QCOMPARE(idle.wavButton, usable);
        QCOMPARE(idle.mp3Button, usable);
        QVERIFY(idle.nameField);
        const ExportControls busy = ExportControlsFor(name, true);
        QVERIFY(!busy.wavButton && !busy.mp3Button && !busy.nameField);
    }

    void wholeTextCrossesTheExchangeFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("lines") << "Bon dia.\nAdéu.\r\nFi";
        QTest::newRow("backslashes") << "C:\\nou\\text \\\\ \\x41";
        QTest::newRow("control characters") << QStringLiteral("a\tb\x01" "c\x7f");
        QTest::newRow("blanks at the ends") << "  dos blancs  ";
        QTest::newRow("euro and beyond") << QStringLiteral("5 € i 3 ₿ — “cometes”");
        QTest::newRow("longer than a settings value") << QString(5000, QLatin1Char('a')) + "\nb";
        QTest::newRow("trailing backslash") << "fi\\";
    }
    void wholeTextCrossesTheExchangeFile()
    {
        QFETCH(QString, text);
        const QString escaped = EscapeExchangeText(text);
        QVERIFY(!escaped.contains(QLatin1Char('\n')) && !escaped.contains(QLatin1Char('\r')));
        QTemporaryDir dir;
        SettingsStore writer(dir.filePath(QStringLiteral("sonnerix.ini")));
        QVERIFY(writer.WriteString(kSection, kKeyWavText, escaped));
        QVERIFY(writer.WriteString(kSection, kKeySpeed, QStringLiteral("5")));
        const SettingsStore reader(writer.FileName());
        QCOMPARE(UnescapeExchangeText(reader.ReadLongString(kSection, kKeyWavText, QString())), text);
        QCOMPARE(reader.ReadString(kSection, kKeySpeed, QString()), QStringLiteral("5"));
    }

    void textFileHasCrLfLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("one line") << "a" << QByteArray("a\r\n");
        QTest::newRow("final break") << "a\n" << QByteArray("a\r\n");
        QTest::newRow("empty line inside") << "a\n\nb" << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("windows-1252") << "plaça" << QByteArray("pla\xe7" "a\r\n");
    }
    void textFileHasCrLfLines()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextFileContents(text), bytes);
    }

    void renderJobIsReadAndChecked_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("wav");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("words");      // "WAV WORDS"
        QTest::addColumn<QString>("wordTimes");  // the job's file for them
        QTest::newRow("espeak-ng") << "MSP" << "carta.wav" << "5" << true << 5 << QString() << QString();
        QTest::newRow("speech-dispatcher") << "SAPI" << "carta.wav" << "-3" << true << -3 << QString() << QString();
        QTest::newRow("rate beyond the bar") << "MSP" << "carta.wav" << "40" << true << 10 << QString() << QString();
        QTest::newRow("rate not a number") << "MSP" << "carta.wav" << "ràpid" << true << 0 << QString() << QString();
        QTest::newRow("upctv") << "UPCTV" << "carta.wav" << "0" << true << 0 << QString() << QString();
        QTest::newRow("unknown family") << "" << "carta.wav" << "0" << false << 0 << QString() << QString();
        QTest::newRow("outside the folder") << "MSP" << "../carta.wav" << "0" << false << 0 << QString() << QString();
        QTest::newRow("word times") << "MSP" << "carta.wav" << "0" << true << 0 << ".paraules.txt"
                                    << "/records/.paraules.txt";
        QTest::newRow("word times outside the folder") << "MSP" << "carta.wav" << "0" << true << 0 << "../p.txt"
                                                       << QString();
    }
    void renderJobIsReadAndChecked()
    {
        QFETCH(QString, family);
        QFETCH(QString, wav);
        QFETCH(QString, speed);
        QFETCH(bool, accepted);
        QFETCH(int, rate);
        QFETCH(QString, words);
        QFETCH(QString, wordTimes);
        QTemporaryDir dir;
        SettingsStore exchange(dir.filePath(QStringLiteral("sonnerix.ini")));
        const QString text = QString(3000, QLatin1Char('x')) + QStringLiteral("\nfi");
        exchange.WriteString(kSection, kKeyWavDir, dir.path() + QStringLiteral("/records/"));
        exchange.WriteString(kSection, kKeyWav, wav);
        exchange.WriteString(kSection, kKeyWavText, EscapeExchangeText(text));
        exchange.WriteString(kSection, kKeySpeed, speed);
        exchange.WriteString(kSection, kKeyFamily, family);
        exchange.WriteString(kSection, kKeyVoice, QStringLiteral("2"));
        exchange.WriteString(kSection, kKeyWavWords, words);
        QString error;
        const std::optional<RenderJob> job = ReadRenderJob(exchange, &error);
        QCOMPARE(job.has_value(), accepted);
        if (!accepted) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(job->text, text);
        QCOMPARE(job->outputPath, dir.path() + QStringLiteral("/records/carta.wav"));
        QCOMPARE(job->voice.index, 2);
        QCOMPARE(job->rate, rate);
        QCOMPARE(job->wordTimesPath, wordTimes.isEmpty() ? QString() : dir.path() + wordTimes);
    }

    void speechDispatcherVoiceUsesTheEspeakVoiceOfItsLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("index");
        QTest::newRow("same code") << "ca" << 1;
        QTest::newRow("other case") << "EN-US" << 3;
        QTest::newRow("region missing in espeak-ng") << "es-MX" << 2;
        QTest::newRow("main language only") << "en-AU" << 0;
        QTest::newRow("unknown") << "xx" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void speechDispatcherVoiceUsesTheEspeakVoiceOfItsLanguage()
    {
        QFETCH(QString, language);
        QFETCH(int, index);
        QList<VoiceCatalog::Voice> voices;
        for (const char *code : {"en-gb", "ca", "es", "en-us"})
            voices << VoiceCatalog::Voice{QString(), QString(), QString::fromLatin1(code), QString()};
        QCOMPARE(VoiceCatalog::EspeakVoiceForLanguage(voices, language), index);
    }

    void wavFileAppearsWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("so.wav"));
        {
            WavFileWriter writer(path, 22050);
            QVERIFY(writer.Open());
            const qint16 samples[3] = {1, -2, 3};
            QVERIFY(writer.Write(samples, 3));
            QVERIFY(!QFile::exists(path));
            QVERIFY(writer.Commit());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 44 + 6);
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 24), quint32(22050));
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 40), quint32(6));
        QCOMPARE(qFromLittleEndian<qint16>(bytes.constData() + 46), qint16(-2));

        WavFileWriter stopped(path, 22050);
        QVERIFY(stopped.Open());
        const qint16 one = 7;
        QVERIFY(stopped.Write(&one, 1));
        stopped.Cancel();
        QCOMPARE(QFileInfo(path).size(), qint64(bytes.size()));

        // On a full disk a short sound sits in a buffer until the end: it is refused
        // there, and the earlier recording stays.
        SmallDisk disk(dir.filePath(QStringLiteral("small")));
        if (!disk.Mounted())
            return;
        const QString onDisk = disk.FilePath(QStringLiteral("so.wav"));
        QVERIFY(QFile::copy(path, onDisk));
        disk.Fill();
        WavFileWriter full(onDisk, 22050);
        QVERIFY(full.Open());
        const qint16 sound[3] = {4, 5, 6};
        QVERIFY(full.Write(sound, 3));
        QVERIFY(!full.Commit());
        QVERIFY2(full.Error().contains(QStringLiteral("el disc és ple")), qPrintable(full.Error()));
        QCOMPARE(QFileInfo(onDisk).size(), qint64(bytes.size()));
    }

    void statusIsBusyFromAcceptingTheJobUntilTheFileIsComplete()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no D-Bus session bus");
        QTemporaryDir dir;
        SettingsStore exchange(dir.filePath(QStringLiteral("sonnerix.ini")));
        exchange.WriteString(kSection, kKeyWavDir, dir.path() + QStringLiteral("/records/"));
        exchange.WriteString(kSection, kKeyWav, QStringLiteral("carta.wav"));
        exchange.WriteString(kSection, kKeyWavText, EscapeExchangeText(QStringLiteral("u\ndos")));
        exchange.WriteString(kSection, kKeyFamily, QStringLiteral("MSP"));
        exchange.WriteString(kSection, kKeyVoice, QStringLiteral("0"));
        exchange.WriteString(kSection, kKeyWavWords, QStringLiteral(".paraules.txt"));
        SteppedRendering rendering;
        RendererWindow window(exchange.FileName(), rendering);
        QVERIFY(window.Open(nullptr));
        DBusDesktopWindows desktop;
        const QString id = desktop.FindWindowByTitle(kRendererTitle);
        QCOMPARE(id, window.Id());
        QVERIFY(desktop.SendWindowMessage(id, kMessageHello));
        QVERIFY(desktop.SendWindowMessage(id, kMessageRender));
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, kStatusDone), QStringLiteral("1"));
        // Word times serve the one job that asked for them.
        QCOMPARE(exchange.ReadString(kSection, kKeyWavWords, QStringLiteral("left")), QString());

        // Percentages while it works, never "0" before the end.
        QSignalSpy finished(&window, &RendererWindow::jobFinished);
        rendering.steps.release();
        for (int percent = 25; percent <= 100; percent += 25) {
            rendering.steps.release();
            QTRY_COMPARE(exchange.ReadString(kSection, kKeyStatus, kStatusDone), QString::number(percent));
        }
        rendering.steps.release();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, QString()), kStatusDone);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("records/carta.wav"))));
        QCOMPARE(rendering.text, QStringLiteral("u\ndos"));
        QCOMPARE(rendering.wordTimes, dir.filePath(QStringLiteral("records/.paraules.txt")));
        QVERIFY(!window.Rendering());

        // Closed while rendering: stopped, done, no file.
        QFile::remove(dir.filePath(QStringLiteral("records/carta.wav")));
        QSignalSpy closed(&window, &RendererWindow::closed);
        rendering.endless = true;
        QVERIFY(desktop.SendWindowMessage(id, kMessageRender));
        QVERIFY(window.Rendering());
        QVERIFY(desktop.RequestClose(id));
        QCOMPARE(closed.size(), 1);
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, QString()), kStatusDone);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("records/carta.wav"))));
        QVERIFY(desktop.FindWindowByTitle(kRendererTitle).isEmpty());
    }

    void refusedJobIsDoneAtOnce()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no D-Bus session bus");
        QTemporaryDir dir;
        SettingsStore exchange(dir.filePath(QStringLiteral("sonnerix.ini")));
        exchange.WriteString(kSection, kKeyWavDir, dir.path() + QStringLiteral("/"));
        exchange.WriteString(kSection, kKeyWav, QStringLiteral("x.wav"));
        exchange.WriteString(kSection, kKeyFamily, QStringLiteral("UPCTV"));
        exchange.WriteString(kSection, kKeyVoice, QStringLiteral("4"));  // the library has four
        exchange.WriteString(kSection, kKeyStatus, QStringLiteral("7"));
        SteppedRendering rendering;
        RendererWindow window(exchange.FileName(), rendering);
        QVERIFY(window.Open(nullptr));
        QSignalSpy finished(&window, &RendererWindow::jobFinished);
        DBusDesktopWindows desktop;
        QVERIFY(desktop.SendWindowMessage(window.Id(), kMessageRender));
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, QString()), kStatusDone);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
    }

    void wordTimesMarkEachWordWhereItIsHeard()
    {
        const QList<VoiceCatalog::Voice> voices = VoiceCatalog::EspeakVoices();
        const auto catalan = std::find_if(voices.begin(), voices.end(),
                                          [](const VoiceCatalog::Voice &v) { return v.identifier == "roa/ca"; });
        QVERIFY2(catalan != voices.end(), "espeak-ng has no Catalan voice");
        // Accents, a character beyond 16 bits that shifts every position after it, and a
        // paragraph's pause before a sentence that begins with a vowel.
        const QString text = QStringLiteral("Això és un cafè \U0001F600 amb llet.\n\nAra comença la segona frase.");
        QTemporaryDir dir;
        const RenderJob job{text, dir.filePath(QStringLiteral("so.wav")),
                            {ExportFamily::Msp, int(catalan - voices.begin())}, 0, dir.filePath(QStringLiteral("w"))};
        EspeakWavRendering rendering;
        QString error;
        QVERIFY2(rendering.Render(job, {}, &error), qPrintable(error));
        QFile file(job.wordTimesPath);
        QFile wav(job.outputPath);
        QVERIFY(file.open(QIODevice::ReadOnly) && wav.open(QIODevice::ReadOnly));
        const std::optional<WordTimes> times = ParseWordTimes(file.readAll());
        QVERIFY(times);
        const QByteArray bytes = wav.readAll().mid(44);
        const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
        const int rate = VoiceCatalog::EspeakSampleRate();
        QVERIFY(qAbs(times->soundMs - bytes.size() / 2 * 1000 / rate) <= 1);

        QStringList spoken;
        qint64 araMs = -1;
        for (const VoiceCatalog::SpokenMark &mark : times->marks) {
            QVERIFY(mark.ms >= 0 && mark.ms <= times->soundMs);
            if (mark.kind == VoiceCatalog::SpokenMark::Kind::Sentence && mark.position > 0)
                QCOMPARE(mark.position, text.indexOf(QStringLiteral("Ara")));
            else if (mark.kind == VoiceCatalog::SpokenMark::Kind::Word)
                spoken << text.mid(mark.position, mark.length);
            if (araMs < 0 && !spoken.isEmpty() && spoken.constLast() == QStringLiteral("Ara"))
                araMs = mark.ms;
        }
        for (const QString &word : QStringLiteral("Això és cafè \U0001F600 amb llet Ara comença segona frase").split(' '))
            QVERIFY2(spoken.contains(word), qPrintable(spoken.join('|')));

        // "Ara" is heard where its mark says: the sound rises out of the pause within 50 ms.
        const auto loud = [&](qint64 ms) {  // a 5 ms window louder than the pause
            double sum = 0;
            for (qint64 i = ms * rate / 1000; i < (ms + 5) * rate / 1000; ++i)
                sum += double(samples[i]) * samples[i];
            return std::sqrt(sum / (rate / 200)) > 500;
        };
        qint64 onset = araMs - 150;
        QVERIFY2(!loud(onset), "no pause before the second sentence");
        while (onset < araMs + 200 && !loud(onset))
            ++onset;
        QVERIFY2(qAbs(onset - araMs) <= 50,
                 qPrintable(QStringLiteral("mark %1 ms, sound %2 ms").arg(araMs).arg(onset)));
    }

    void subtitlesShowTheDocumentsWords_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<TimedWords>("words");
        QTest::addColumn<int>("cues");
        QTest::newRow("the dictionary's replacement times the document's word")
            << " ONU " << "Organització de les Nacions Unides"
            << TimedWords{{"|Organització", 40}, {"de", 900}, {"Nacions", 1300}, {"Unides", 1800}} << 1;
        QTest::newRow("unspoken dashes and an arrow join a word")
            << "— Sí -- i no.\nEl --> fi." << "— Sí -- i no.\nEl --> fi."
            << TimedWords{{"|Sí", 100}, {"i", 500}, {"no", 700}, {"|El", 1100}, {"fi", 1400}} << 2;
        QTest::newRow("two marks at one time") << "u dos tres" << "u dos tres"
                                               << TimedWords{{"|u", 0}, {"dos", 0}, {"tres", 5000}} << 1;
    }
    void subtitlesShowTheDocumentsWords()
    {
        QFETCH(QString, document);
        QFETCH(QString, spoken);
        QFETCH(TimedWords, words);
        QFETCH(int, cues);
        const WordTimes times = MarksOf(spoken, words, 6000);
        const QList<TimedSentence> sentences = TimeSentences(document, spoken, times);
        const QString problem = SubtitleFiles::Problem(SrtFileContents(sentences),
                                                       LrcFileContents(sentences, QStringLiteral("carta"), 6000),
                                                       document, cues, times.soundMs);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestExportRenderer)
#include "test_export_renderer.moc"
