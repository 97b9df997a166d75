#include "core/SettingsStore.h"
#include "platform/DesktopWindowsDBus.h"
#include "sonnerixawav/EspeakWavRendering.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/RendererWindow.h"
#include "sonnerixawav/WavFileWriter.h"
#include "sonnerixawav/WavRendering.h"
#include "speech/AudioExportProtocol.h"
#include "speech/VoiceCatalog.h"
#include "tests/FaultyFiles.h"

#include <QDBusConnection>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <thread>

using namespace ExportProtocol;

namespace {

// Renders slowly in steps, reporting progress, and writes a small file at the end.
class SlowRendering : public WavRendering
{
public:
    bool Render(const RenderJob &job, const std::function<bool(int)> &progress, QString *error) override
    {
        for (int percent = 0; percent <= 100; percent += 25) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            if (!progress(percent)) {
                *error = QStringLiteral("stopped");
                return false;
            }
        }
        text = job.text;
        QFile file(job.outputPath);
        return file.open(QIODevice::WriteOnly) && file.write("RIFF") == 4;
    }
    QString text;
};

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
        QTest::newRow("espeak-ng") << "MSP" << "carta.wav" << "5" << true << 5;
        QTest::newRow("speech-dispatcher") << "SAPI" << "carta.wav" << "-3" << true << -3;
        QTest::newRow("rate beyond the bar") << "MSP" << "carta.wav" << "40" << true << 10;
        QTest::newRow("rate not a number") << "MSP" << "carta.wav" << "ràpid" << true << 0;
        QTest::newRow("upctv") << "UPCTV" << "carta.wav" << "0" << false << 0;
        QTest::newRow("unknown family") << "" << "carta.wav" << "0" << false << 0;
        QTest::newRow("outside the folder") << "MSP" << "../carta.wav" << "0" << false << 0;
    }
    void renderJobIsReadAndChecked()
    {
        QFETCH(QString, family);
        QFETCH(QString, wav);
        QFETCH(QString, speed);
        QFETCH(bool, accepted);
        QFETCH(int, rate);
        QTemporaryDir dir;
        SettingsStore exchange(dir.filePath(QStringLiteral("sonnerix.ini")));
        const QString text = QString(3000, QLatin1Char('x')) + QStringLiteral("\nfi");
        exchange.WriteString(kSection, kKeyWavDir, dir.path() + QStringLiteral("/records/"));
        exchange.WriteString(kSection, kKeyWav, wav);
        exchange.WriteString(kSection, kKeyWavText, EscapeExchangeText(text));
        exchange.WriteString(kSection, kKeySpeed, speed);
        exchange.WriteString(kSection, kKeyFamily, family);
        exchange.WriteString(kSection, kKeyVoice, QStringLiteral("2"));
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
        QCOMPARE(EspeakVoiceOfLanguage(voices, language), index);
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
        QVERIFY(!full.Error().isEmpty());
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
        SlowRendering rendering;
        RendererWindow window(exchange.FileName(), rendering);
        QVERIFY(window.Open(nullptr));
        DBusDesktopWindows desktop;
        const QString id = desktop.FindWindowByTitle(kRendererTitle);
        QCOMPARE(id, window.Id());
        QVERIFY(desktop.SendWindowMessage(id, kMessageHello));
        QVERIFY(desktop.SendWindowMessage(id, kMessageRender));
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, kStatusDone), QStringLiteral("1"));

        QStringList statuses;
        QString status;
        do {
            QTest::qWait(5);
            status = exchange.ReadString(kSection, kKeyStatus, kStatusDone);
            if (statuses.isEmpty() || statuses.constLast() != status)
                statuses << status;
        } while (status != kStatusDone);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("records/carta.wav"))));
        QCOMPARE(rendering.text, QStringLiteral("u\ndos"));
        // Percentages while it works, never "0" before the end.
        QCOMPARE(statuses.constLast(), kStatusDone);
        bool progressShown = false;
        for (int i = 0; i + 1 < statuses.size(); ++i) {
            const int percent = statuses.at(i).toInt();
            QVERIFY2(percent >= 1 && percent <= 100, qPrintable(statuses.join(' ')));
            progressShown = progressShown || percent > 1;
        }
        QVERIFY2(progressShown, qPrintable(statuses.join(' ')));
        QVERIFY(!window.Rendering());

        // Closed while rendering: stopped, done, no file.
        QFile::remove(dir.filePath(QStringLiteral("records/carta.wav")));
        QSignalSpy closed(&window, &RendererWindow::closed);
        QVERIFY(desktop.SendWindowMessage(id, kMessageRender));
        QTest::qWait(60);
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
        exchange.WriteString(kSection, kKeyStatus, QStringLiteral("7"));
        SlowRendering rendering;
        RendererWindow window(exchange.FileName(), rendering);
        QVERIFY(window.Open(nullptr));
        QSignalSpy finished(&window, &RendererWindow::jobFinished);
        DBusDesktopWindows desktop;
        QVERIFY(desktop.SendWindowMessage(window.Id(), kMessageRender));
        QCOMPARE(exchange.ReadString(kSection, kKeyStatus, QString()), kStatusDone);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestExportRenderer)
#include "test_export_renderer.moc"
