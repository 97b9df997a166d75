#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "tests/common/SubtitleFiles.h"
#include "tests/fakes/FakeDesktopWindows.h"
#include "tests/fakes/FakeRenderer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace exporter_test;

class TestExportExporter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    std::unique_ptr<FakeDesktopWindows> m_desktop;
    std::unique_ptr<FakeRenderer> m_renderer;
    std::unique_ptr<AudioExporter> m_exporter;
    QStringList m_stops;

    ExportRequest Request(const QString &name, ExportFormat format = ExportFormat::Wav) const
    {
        ExportRequest request;
        request.text = QStringLiteral("Bon dia.\nEl gat\\gos dorm.");
        request.name = name;
        request.format = format;
        request.voice = {ExportFamily::Msp, 3};
        request.rate = 5;
        return request;
    }
    QString Records(const QString &file) const { return m_paths.recordsDir + file; }

    // Once rendering is under way, another rendering window (a second export's, or one
    // still closing) opens ahead of the one the export talks to.
    void AnotherRendererOpensWhileRendering()
    {
        connect(m_exporter.get(), &AudioExporter::progress, this, [this] {
            if (!m_desktop->HasWindow(QStringLiteral("other")))
                m_desktop->windows.prepend({QStringLiteral("other"), ExportProtocol::RendererWindowTitle(m_paths.exchangeFile), {}, {}});
        });
    }

private slots:
    void init()
    {
        AppLifetime::Instance().Reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_paths = AppPaths::InDirectory(m_dir->path());
        m_desktop = std::make_unique<FakeDesktopWindows>();
        m_renderer = std::make_unique<FakeRenderer>(*m_desktop, m_paths.exchangeFile);
        m_exporter = std::make_unique<AudioExporter>(m_paths, *m_desktop, *m_renderer);
        m_exporter->SetTimings({20, 1000, 20, 20, 50});
        m_exporter->SetEncoderSearchPath({});
        m_stops.clear();
        m_exporter->SetStopReading([this] { m_stops << QStringLiteral("stop"); });
    }

    void wavExportFollowsTheExchangeProtocol()
    {
        m_exporter->SetDictionary([](const QString &text) { return text.toUpper(); });
        QList<bool> busy;
        connect(m_exporter.get(), &AudioExporter::busyChanged, this, [&](bool b) { busy << b; });
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta")));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(result.file, Records(QStringLiteral("carta.wav")));
        QCOMPARE(m_stops.size(), 1);
        QCOMPARE(busy, (QList<bool>{true, false}));
        QCOMPARE(m_renderer->starts, 1);

        const QStringList atHello{
            QStringLiteral("WAV DIR=") + m_paths.recordsDir,
            QStringLiteral("WAV=Sonnerix.wav"),
            QStringLiteral("WAV TEXT=BON DIA.\\nEL GAT\\\\GOS DORM."),
            QStringLiteral("SPEED=5"),
            QStringLiteral("Tipus de sintetitzador=MSP"),
            QStringLiteral("Sintetitzador=3"),
        };
        QCOMPARE(m_renderer->seen.value(1025), atHello);
        QStringList atRender = atHello;
        atRender[1] = QStringLiteral("WAV=carta.wav");
        QCOMPARE(m_renderer->seen.value(1032), atRender);
        QCOMPARE(m_desktop->calls, (QStringList{"message 1025", "message 1032", "close"}));

        // The editor's own lines, beside the exchange file, with CR LF.
        QFile text(m_paths.exchangeDir + QStringLiteral("Sintetitzat.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QCOMPARE(text.readAll(), QByteArray("Bon dia.\r\nEl gat\\gos dorm.\r\n"));
    }

    void runningRendererIsReusedAndProgressShown()
    {
        m_renderer->Open();
        AnotherRendererOpensWhileRendering();
        QList<int> percents;
        QStringList status;
        connect(m_exporter.get(), &AudioExporter::progress, this, [&](int p) { percents << p; });
        connect(m_exporter.get(), &AudioExporter::statusText, this, [&](const QString &s) { status << s; });
        m_exporter->SetTimings({20, 1000, 20, 10, 50});
        QVERIFY(m_exporter->Export(Request(QStringLiteral("x"))).ok);
        QCOMPARE(m_renderer->starts, 0);
        QVERIFY(percents.contains(50));
        QVERIFY(!percents.contains(0));
        QCOMPARE(status.constLast(), QStringLiteral("Fitxer de so desat a ") + Records(QStringLiteral("x.wav")));
    }

    // The renderer asked to close at the end of an export goes a moment later: the next
    // export (or the next stretch or chapter) waits for it to go, rather than handing
    // its text to a window that is closing and losing it.
    void anExportRightAfterAnotherWaitsForTheClosingRenderer()
    {
        QVERIFY(m_exporter->Export(Request(QStringLiteral("primer"))).ok);
        const QString closing = m_renderer->window;
        QVERIFY(!m_desktop->HasWindow(closing));
        m_desktop->windows.append({closing, ExportProtocol::RendererWindowTitle(m_paths.exchangeFile), {}, {}});
        QTimer::singleShot(150, this, [this, closing] { m_desktop->RemoveWindow(closing); });
        const ExportResult second = m_exporter->Export(Request(QStringLiteral("segon")));
        QVERIFY2(second.ok, qPrintable(second.reason));
        QCOMPARE(m_renderer->starts, 2);
        QVERIFY(m_renderer->window != closing);
        QVERIFY(QFile::exists(Records(QStringLiteral("segon.wav"))));
    }

    void sapiVoiceIsRenderedAndToldOnce()
    {
        ExportRequest request = Request(QStringLiteral("s"));
        request.voice = {ExportFamily::Sapi, 1};
        request.voiceName = QStringLiteral("SAPI - prova");
        // Which voice records it instead is said before the recording starts, every time.
        QStringList status;
        connect(m_exporter.get(), &AudioExporter::statusText, this, [&](const QString &s) { status << s; });
        const ExportResult first = m_exporter->Export(request);
        QVERIFY(first.ok);
        QVERIFY(first.notice.contains(QLatin1String("espeak-ng")));
        QVERIFY(status.first().contains(QStringLiteral("«SAPI - prova»")) && status.first().contains("espeak-ng"));
        QVERIFY(m_renderer->seen.value(1032).contains(QStringLiteral("Tipus de sintetitzador=SAPI")));
        QVERIFY(m_renderer->seen.value(1032).contains(QStringLiteral("Sintetitzador=1")));
        QVERIFY(m_exporter->Export(request).notice.isEmpty());
        QCOMPARE(status.filter(QStringLiteral("«SAPI - prova»")).size(), 2);
    }

    void failuresEndTheWaitAndSaySoundFileMissing_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<bool>("terminated");
        QTest::newRow("never opens its window") << int(Behaviour::NeverOpens) << true;
        QTest::newRow("window vanishes while rendering") << int(Behaviour::VanishesWhileRendering) << false;
        QTest::newRow("done without a file") << int(Behaviour::FinishesWithoutFile) << false;
        QTest::newRow("a recording without sound") << int(Behaviour::RendersNothing) << false;
    }
    void failuresEndTheWaitAndSaySoundFileMissing()
    {
        QFETCH(int, behaviour);
        QFETCH(bool, terminated);
        m_renderer->behaviour = Behaviour(behaviour);
        AnotherRendererOpensWhileRendering();
        QList<bool> busy;
        connect(m_exporter.get(), &AudioExporter::busyChanged, this, [&](bool b) { busy << b; });
        // Each failure ends the wait by itself: one that did not would hang here until
        // the test's watchdog failed it.
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta")));
        QVERIFY(!result.ok);
        QVERIFY2(result.reason.contains(QLatin1String("no s'ha creat cap fitxer de so"))
                     || result.reason.contains(QLatin1String("no ha creat el fitxer")),
                 qPrintable(result.reason));
        QCOMPARE(m_renderer->terminations, terminated ? 1 : 0);
        QCOMPARE(busy, (QList<bool>{true, false}));
        QVERIFY(!QFile::exists(Records(QStringLiteral("carta.wav"))));
    }

    void olderFileOfTheSameNameIsNotTakenForTheNewOne()
    {
        QDir().mkpath(m_paths.recordsDir);
        QFile old(Records(QStringLiteral("carta.wav")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older recording");
        old.close();
        // Nor is a file the renderer made without sound: the older one stays as it was.
        for (const Behaviour behaviour : {Behaviour::FinishesWithoutFile, Behaviour::RendersNothing}) {
            m_renderer->behaviour = behaviour;
            QVERIFY(!m_exporter->Export(Request(QStringLiteral("carta"))).ok);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("an older recording"));
            old.close();
        }
    }

    void upctvVoiceIsRenderedByItsEntry()
    {
        ExportRequest request = Request(QStringLiteral("u"));
        request.voice = {ExportFamily::Upctv, 3};
        QVERIFY(m_exporter->Export(request).ok);
        QVERIFY(m_renderer->seen.value(1032).contains(QStringLiteral("Tipus de sintetitzador=UPCTV")));
        QVERIFY(m_renderer->seen.value(1032).contains(QStringLiteral("Sintetitzador=3")));

        // An entry the library does not have is refused before the renderer starts.
        const int starts = m_renderer->starts;
        request.voice = {ExportFamily::Upctv, 4};
        const ExportResult result = m_exporter->Export(request);
        QVERIFY(!result.ok);
        QVERIFY(result.reason.contains(QLatin1String("UPCTV")));
        QCOMPARE(m_renderer->starts, starts);
        QVERIFY(QFile::exists(m_paths.exchangeDir + QStringLiteral("Sintetitzat.txt")));
    }

    void unusableNameOrRecordsFolderIsRefused()
    {
        ExportResult result = m_exporter->Export(Request(QStringLiteral("../../Music/x")));
        QVERIFY(!result.ok);
        QVERIFY(!QFile::exists(m_paths.exchangeFile));
        QVERIFY(m_stops.isEmpty());

        QFile blocker(m_dir->filePath(QStringLiteral("records")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
        blocker.close();
        result = m_exporter->Export(Request(QStringLiteral("x")));
        QVERIFY(!result.ok);
        QVERIFY(result.reason.contains(m_paths.recordsDir));
        QCOMPARE(m_renderer->starts, 0);
    }

    void nestedExportIsRefusedWhileOneRuns()
    {
        QList<ExportResult> finished;
        connect(m_exporter.get(), &AudioExporter::finished, this, [&](const ExportResult &r) { finished << r; });
        QVERIFY(m_exporter->Start(Request(QStringLiteral("carta"))));
        QVERIFY(m_exporter->Busy());
        QVERIFY(!m_exporter->Start(Request(QStringLiteral("other"))));
        ExportResult nested;
        QTimer::singleShot(10, this, [&] { nested = m_exporter->Export(Request(QStringLiteral("other"))); });
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QVERIFY(finished.constFirst().ok);
        QVERIFY(!m_exporter->Busy());
        QVERIFY(!nested.ok);
        QVERIFY(!nested.reason.isEmpty());
        QVERIFY(!QFile::exists(Records(QStringLiteral("other.wav"))));
    }

    void closingTheProgramEndsTheWait()
    {
        m_renderer->behaviour = Behaviour::FinishesWithoutFile;
        m_exporter->SetTimings({20, 1000, 20, 200, 50});
        QTimer::singleShot(60, this, [] { AppLifetime::Instance().BeginClosing(); });
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta")));
        QVERIFY(!result.ok);
        QVERIFY(result.reason.contains(QLatin1String("tanca")));
        AppLifetime::Instance().Reset();
    }

    // MP3 through lame and Opus through opusenc follow the same rules.
    void encodedSoundReplacesTheWavAndTheOlderFileOnlyWhenEncoded_data()
    {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QByteArray>("script");  // the body of a fake encoder beside the program
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("reasonPart");
        const auto mp3 = [](const char *row, const char *script, bool ok, const QString &reasonPart) {
            QTest::newRow(row) << ExportFormat::Mp3 << QByteArray(script) << ok << reasonPart;
        };
        mp3("mp3: writes x.mp3", "printf 'ID3mp3' > \"${1%.wav}.mp3\"\n", true, QString());
        mp3("mp3: writes x.wav.mp3", "printf 'ID3mp3' > \"$1.mp3\"\n", true, QString());
        mp3("mp3: fails", "echo 'cannot encode' >&2; exit 1\n", false, QStringLiteral("cannot encode"));
        mp3("mp3: writes nothing", "exit 0\n", false, QStringLiteral("MP3"));
        mp3("mp3: empty", ": > \"${1%.wav}.mp3\"\n", false, QStringLiteral("MP3"));
        mp3("mp3: hangs halfway", "printf 'ID3' > \"${1%.wav}.mp3\"; exec sleep 600\n", false,
            QStringLiteral("aturat"));
        mp3("no lame", "", false, QStringLiteral("lame"));
        const auto opus = [](const char *row, const char *script, bool ok, const QString &reasonPart) {
            QTest::newRow(row) << ExportFormat::Opus << QByteArray(script) << ok << reasonPart;
        };
        opus("opus: encodes", "[ \"$1\" = --speech ] || exit 3\nfor last; do :; done; printf 'OggS' > \"$last\"\n",
             true, QString());
        opus("opus: fails", "echo 'bad input' >&2; exit 1\n", false, QStringLiteral("bad input"));
        opus("no opusenc", "", false, QStringLiteral("opusenc"));
    }
    void encodedSoundReplacesTheWavAndTheOlderFileOnlyWhenEncoded()
    {
        QFETCH(ExportFormat, format);
        QFETCH(QByteArray, script);
        QFETCH(bool, ok);
        QFETCH(QString, reasonPart);
        const QString extension = format == ExportFormat::Mp3 ? QStringLiteral(".mp3") : QStringLiteral(".opus");
        const QString encoded = QStringLiteral("la carta") + extension;
        const QString wav = QStringLiteral("la carta.wav");
        const QByteArray sound = format == ExportFormat::Mp3 ? QByteArray("ID3mp3") : QByteArray("OggS");
        const QString encoder = format == ExportFormat::Mp3 ? QStringLiteral("lame") : QStringLiteral("opusenc");
        if (!script.isEmpty())
            WriteScript(m_paths.programDir + encoder, script);
        // An encoder that hangs is given a limit, here a short one.
        m_exporter->SetTimings({20, 1000, 20, 20, 50, 300, 0});
        QDir().mkpath(m_paths.recordsDir);
        QFile older(Records(encoded));
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older");
        older.close();

        const ExportResult result = m_exporter->Export(Request(QStringLiteral("la carta"), format));
        QCOMPARE(result.ok, ok);
        QVERIFY(older.open(QIODevice::ReadOnly));
        QStringList files{encoded};
        if (ok) {
            QCOMPARE(result.file, Records(encoded));
            QCOMPARE(older.readAll(), sound);
        } else {
            QVERIFY2(result.reason.contains(reasonPart), qPrintable(result.reason));
            // The older file is as it was, and the only sound file made is kept: the end of
            // the export names it.
            QCOMPARE(older.readAll(), QByteArray("older"));
            QCOMPARE(result.file, Records(wav));
            QVERIFY(result.reason.contains(result.file));
            files << wav;
        }
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden), files);
    }

    // The encoder's own progress counts after the rendering's; a stop while it encodes
    // ends it, puts the older MP3 back and leaves no WAV behind.
    void aStopWhileEncodingKeepsTheOlderFile()
    {
        WriteScript(m_paths.programDir + QStringLiteral("lame"),
                    "printf '  100/400   (25%%)|\\r  200/400   (50%%)|\\n'; printf 'ID3' > \"${1%.wav}.mp3\"; "
                    "exec sleep 600\n");
        m_exporter->SetTimings({20, 1000, 20, 20, 50, 60000, 0});
        QDir().mkpath(m_paths.recordsDir);
        QFile older(Records(QStringLiteral("carta.mp3")));
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older");
        older.close();
        QList<int> percents;
        connect(m_exporter.get(), &AudioExporter::progress, this, [&](int percent) {
            percents << percent;
            // Halfway through the encoding: 65 % of the whole is the rendering's.
            if (percent >= 82)
                m_exporter->Stop();
        });
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta"), ExportFormat::Mp3));
        QVERIFY2(!result.ok && result.stopped, qPrintable(result.reason));
        QVERIFY2(percents.contains(82), qPrintable(QString::number(percents.constLast())));
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        QVERIFY(older.open(QIODevice::ReadOnly));
        QCOMPARE(older.readAll(), QByteArray("older"));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden), QStringList{"carta.mp3"});
    }

    void anOlderMp3LeftAsideByAKilledExportComesBack()
    {
        WriteScript(m_paths.programDir + QStringLiteral("lame"), "exit 1\n");
        QDir().mkpath(m_paths.recordsDir);
        for (const auto &[name, bytes] : {std::pair{QStringLiteral(".carta.mp3.anterior"), QByteArray("older")},
                                          std::pair{QStringLiteral("carta.mp3"), QByteArray("half")}}) {
            QFile file(Records(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QVERIFY(!m_exporter->Export(Request(QStringLiteral("carta"), ExportFormat::Mp3)).ok);
        QFile mp3(Records(QStringLiteral("carta.mp3")));
        QVERIFY(mp3.open(QIODevice::ReadOnly));
        QCOMPARE(mp3.readAll(), QByteArray("older"));
        QVERIFY(!QFile::exists(Records(QStringLiteral(".carta.mp3.anterior"))));
    }

    // The renderer of a killed export went on and finished the new WAV: that one stays.
    void aWavFinishedAfterItsExportWasKilledIsKept()
    {
        QDir().mkpath(m_paths.recordsDir);
        for (const auto &[name, bytes] : {std::pair{QStringLiteral(".carta.wav.anterior"), QByteArray("older")},
                                          std::pair{QStringLiteral("carta.wav"), QByteArray("finished")}}) {
            QFile file(Records(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        m_renderer->behaviour = Behaviour::FinishesWithoutFile;
        QVERIFY(!m_exporter->Export(Request(QStringLiteral("carta"))).ok);
        QFile wav(Records(QStringLiteral("carta.wav")));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        QCOMPARE(wav.readAll(), QByteArray("finished"));
        QVERIFY(!QFile::exists(Records(QStringLiteral(".carta.wav.anterior"))));
    }

    void blanksAroundTheNameAreDroppedAsTheExchangeFileDropsThem()
    {
        const ExportResult result = m_exporter->Export(Request(QStringLiteral(" \tcarta  ")));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(result.file, Records(QStringLiteral("carta.wav")));
        QVERIFY(m_renderer->seen.value(1032).contains(QStringLiteral("WAV=carta.wav")));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("carta.wav")});

        // A name of blanks is no name: refused, and the buttons are off.
        QVERIFY(!m_exporter->Export(Request(QStringLiteral("   "))).ok);
        QCOMPARE(m_renderer->starts, 1);
        QVERIFY(!ExportControlsFor(QStringLiteral("  "), false).wavButton);
        QVERIFY(ExportControlsFor(QStringLiteral(" x "), false).mp3Button);
    }

    void anExportWaitsWhileAnotherHoldsTheExchangeFile()
    {
        // Another program's export holds the lock beside the exchange file.
        QProcess other;
        const QStringList holdTheLock{m_paths.exchangeFile + QStringLiteral(".lock"), QStringLiteral("-c"),
                                      QStringLiteral("echo held; exec cat")};
        other.start(QStringLiteral("flock"), holdTheLock);
        QVERIFY(other.waitForReadyRead());
        QStringList status;
        connect(m_exporter.get(), &AudioExporter::statusText, this, [&](const QString &text) {
            status << text;
            if (text.contains(QStringLiteral("altra exportació")))
                other.closeWriteChannel();  // the other export ends
        });
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta")));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished());
        QVERIFY(status.first().contains(QStringLiteral("altra exportació")));
        QCOMPARE(m_renderer->starts, 1);

        // One that never ends: refused after the limit, with the exchange file untouched.
        other.start(QStringLiteral("flock"), holdTheLock);
        QVERIFY(other.waitForReadyRead());
        disconnect(m_exporter.get(), &AudioExporter::statusText, this, nullptr);
        m_exporter->SetTimings({20, 1000, 20, 20, 50, 300, 0, 200});
        const QByteArray exchange = [&] {
            QFile f(m_paths.exchangeFile);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const ExportResult refused = m_exporter->Export(Request(QStringLiteral("altra")));
        other.closeWriteChannel();
        other.waitForFinished();
        QVERIFY(!refused.ok);
        QVERIFY2(refused.reason.contains(QLatin1String("sonnerix.ini.lock")), qPrintable(refused.reason));
        QFile f(m_paths.exchangeFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), exchange);
    }

    void wavThenMp3UnderOneNameKeepsBothFiles()
    {
        WriteScript(m_paths.programDir + QStringLiteral("lame"), "printf 'ID3mp3' > \"${1%.wav}.mp3\"\n");
        QVERIFY(m_exporter->Export(Request(QStringLiteral("Sintetitzat"))).ok);
        QFile wav(Records(QStringLiteral("Sintetitzat.wav")));
        QVERIFY(wav.open(QIODevice::WriteOnly | QIODevice::Truncate));
        wav.write("the WAV the user saved");
        wav.close();

        const ExportResult result = m_exporter->Export(Request(QStringLiteral("Sintetitzat"), ExportFormat::Mp3));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        QCOMPARE(wav.readAll(), QByteArray("the WAV the user saved"));
        // The keys keep their order; the MP3 step hands over a name of its own.
        const QStringList atRender = m_renderer->seen.value(1032);
        QStringList keys;
        for (const QString &line : atRender)
            keys << line.section(QLatin1Char('='), 0, 0);
        QCOMPARE(keys.mid(0, 6), (QStringList{"WAV DIR", "WAV", "WAV TEXT", "SPEED", "Tipus de sintetitzador",
                                              "Sintetitzador"}));
        QVERIFY(atRender.at(1).startsWith(QStringLiteral("WAV=.")));
        QVERIFY(atRender.at(1).endsWith(QStringLiteral(".wav")));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("Sintetitzat.mp3"), QStringLiteral("Sintetitzat.wav")}));

        // An encoding that fails leaves the saved WAV as it is too.
        WriteScript(m_paths.programDir + QStringLiteral("lame"), "exit 1\n");
        const ExportResult failed = m_exporter->Export(Request(QStringLiteral("Sintetitzat"), ExportFormat::Mp3));
        QVERIFY(!failed.ok);
        QVERIFY(!failed.reason.contains(Records(QStringLiteral("Sintetitzat.wav"))));
        QVERIFY(wav.seek(0));
        QCOMPARE(wav.readAll(), QByteArray("the WAV the user saved"));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("Sintetitzat.mp3"), QStringLiteral("Sintetitzat.wav")}));
    }

    void closingDuringAnExportLeavesNoHalfWrittenFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("older");
        QTest::newRow("WAV") << int(ExportFormat::Wav) << false;
        QTest::newRow("WAV over an older one") << int(ExportFormat::Wav) << true;
        QTest::newRow("MP3") << int(ExportFormat::Mp3) << false;
    }
    void closingDuringAnExportLeavesNoHalfWrittenFile()
    {
        QFETCH(int, format);
        QFETCH(bool, older);
        QDir().mkpath(m_paths.recordsDir);
        if (older) {
            QFile old(Records(QStringLiteral("carta.wav")));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("older");
        }
        m_renderer->behaviour = Behaviour::WritesHalfAndGoesOn;
        m_exporter->SetTimings({20, 1000, 20, 20, 50});
        // The program closes once the renderer has begun writing.
        QTimer::singleShot(300, this, [] { AppLifetime::Instance().BeginClosing(); });
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("carta"), ExportFormat(format)));
        AppLifetime::Instance().Reset();
        QVERIFY(!result.ok);
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden),
                 older ? QStringList{QStringLiteral("carta.wav")} : QStringList{});
        if (older) {
            QFile old(Records(QStringLiteral("carta.wav")));
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("older"));
        }
    }

    void nameWithBlanksReachesLameWhole()
    {
        WriteScript(m_paths.programDir + QStringLiteral("lame"),
                    "[ \"$#\" = 1 ] || exit 3\nprintf 'ID3' > \"${1%.wav}.mp3\"\n");
        const ExportResult result =
            m_exporter->Export(Request(QStringLiteral("la meva carta"), ExportFormat::Mp3));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(QFile::exists(Records(QStringLiteral("la meva carta.mp3"))));
    }

    void subtitlesComeFromTheRenderersWordTimes()
    {
        QDir().mkpath(m_paths.recordsDir);
        const auto olderSubtitles = [this] {
            QFile older(Records(QStringLiteral("carta.srt")));
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write("1\n00:00:00,000 --> 00:00:01,000\nan older recording's words\n\n");
        };
        olderSubtitles();
        ExportRequest request = Request(QStringLiteral("carta"));
        request.subtitles = kAllSubtitles;
        ExportResult result = m_exporter->Export(request);
        QVERIFY2(result.ok && result.notice.isEmpty(), qPrintable(result.reason + result.notice));
        // The renderer is asked for them last, in a file of this process's own, removed once read.
        QCOMPARE(m_renderer->seen.value(1032).constLast(),
                 QStringLiteral("WAV WORDS=.Sonnerix-words-%1.txt").arg(QCoreApplication::applicationPid()));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"carta.lrc", "carta.srt", "carta.wav"}));
        QCOMPARE(result.subtitleFiles, (QStringList{Records("carta.srt"), Records("carta.lrc")}));
        const auto bytes = [this](const QString &name) {
            QFile file(Records(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        // This renderer tells no sentences apart: the cues are the document's two sentences,
        // the last until the sound's end.
        const QString problem = SubtitleFiles::Problem(bytes("carta.srt"), bytes("carta.lrc"), Request({}).text, 2, 700);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // A renderer that gives no word times: the sound is made, the older subtitles of
        // that name (of another recording) go, and the user is told.
        olderSubtitles();
        m_renderer->givesWordTimes = false;
        result = m_exporter->Export(request);
        QVERIFY(result.ok && result.subtitleFiles.isEmpty());
        QVERIFY2(result.notice.contains(QStringLiteral("subtítols")), qPrintable(result.notice));
        QCOMPARE(QDir(m_paths.recordsDir).entryList(QDir::Files | QDir::Hidden), QStringList{"carta.wav"});
    }

};

QTEST_GUILESS_MAIN(TestExportExporter)
#include "test_export_exporter.moc"
