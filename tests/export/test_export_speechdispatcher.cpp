#include "core/AppPaths.h"
#include "platform/DesktopWindowsDBus.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SpeechService.h"
#include "tests/common/SoundTools.h"
#include "tests/common/SubtitleFiles.h"

#include <QDBusConnection>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kEnglish = QStringLiteral("Good morning, everybody. Today the sun is shining,\n"
                                        "and we ride our bicycles to school.");

} // namespace

using namespace SoundTools;

// The speech service's voices recorded by the real rendering program: by the synthesizer
// that speaks them where it can be reached, else by espeak-ng, said before it starts.
class TestExportSpeechDispatcher : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SpeechService m_service;
    AppPaths m_paths;
    QString m_document;
    int m_flite = -1;     // kal16, as an index in the speech service's family
    int m_elsewhere = -1; // kal16 again, of a module the renderer does not know
    std::unique_ptr<DBusDesktopWindows> m_desktop;
    std::unique_ptr<ProcessRendererLauncher> m_launcher;
    std::unique_ptr<AudioExporter> m_exporter;

    Ran Tool(const QStringList &arguments)
    {
        return RunProgram(m_dir.filePath(QStringLiteral("tolvanet-tool")), arguments);
    }
    static ExportRequest Request(const QString &name, int sapi)
    {
        ExportRequest request;
        request.text = kEnglish;
        request.name = name;
        request.voice = {ExportFamily::Sapi, sapi};
        return request;
    }
    QString VoiceNumber(int sapi) const { return QString::number(VoiceCatalog::EspeakVoices().size() + sapi); }

private slots:
    void initTestCase()
    {
        // test.sh installs and starts all of these: a missing one is a fault of the set-up.
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no D-Bus session bus for the rendering program's window");
        for (const char *tool : {"soxi", "lame", "flite"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
        // flite's module once more under a name no renderer knows.
        const QString started = m_service.Start({{QStringLiteral("parla"), QStringLiteral("flite")}});
        QVERIFY2(started.isEmpty(), qPrintable(started));
        const QList<VoiceCatalog::Voice> voices = VoiceCatalog::SpeechDispatcherVoices(20000);
        for (int i = 0; i < voices.size(); ++i) {
            if (voices.at(i).module == QLatin1String("flite") && voices.at(i).identifier == QLatin1String("kal16"))
                m_flite = i;
            if (voices.at(i).module == QLatin1String("parla"))
                m_elsewhere = i;
        }
        QVERIFY2(m_flite >= 0 && m_elsewhere >= 0, "the speech service lists no kal16 voice of flite");
        for (const char *program : {"SonnerixaWav", "tolvanet-tool"})
            QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                                m_dir.filePath(QString::fromLatin1(program))));
        QVERIFY(Write(m_document = m_dir.filePath(QStringLiteral("worksheet.txt")), kEnglish.toUtf8()));
        m_paths = AppPaths::ForProgramDir(m_dir.path());
        m_desktop = std::make_unique<DBusDesktopWindows>();
        m_launcher = std::make_unique<ProcessRendererLauncher>(m_paths.programDir);
        m_exporter = std::make_unique<AudioExporter>(m_paths, *m_desktop, *m_launcher);
    }

    // From the command line, as a teacher records a worksheet: flite's own voice (its
    // 16 kHz, as long as flite itself makes it), no word of another voice, subtitles that
    // follow it, and the rate heard.
    void fliteVoiceIsRecordedByFlite()
    {
        const QString reference = m_dir.filePath(QStringLiteral("flite.wav"));
        QVERIFY(Run(QStringLiteral("flite"), {"-voice", "kal16", "-f", m_document, "-o", reference}));
        const double flite = Seconds(reference);
        QVERIFY(flite > 2.0);

        const QStringList voice{QStringLiteral("--voice"), VoiceNumber(m_flite)};
        Ran ran = Tool(QStringList{QStringLiteral("export-wav")} + voice
                       + QStringList{"--rate", "0", "--subtitles", "srt,lrc", m_document});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        QVERIFY2(!ran.err.contains(QLatin1String("espeak-ng")), qPrintable(ran.err));
        const QString wav = m_paths.recordsDir + QStringLiteral("worksheet.wav");
        QCOMPARE(ran.out, wav);
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), wav}), QStringLiteral("16000"));
        const double recorded = Seconds(wav);
        qInfo("recorded %.3f s, flite's own %.3f s", recorded, flite);
        QVERIFY2(qAbs(recorded - flite) <= flite * 0.1,
                 qPrintable(QStringLiteral("%1 s recorded, %2 s from flite").arg(recorded).arg(flite)));
        // A cue per sentence of the document: the line break inside the second ends none.
        const QString base = m_paths.recordsDir + QStringLiteral("worksheet");
        const QString problem = SubtitleFiles::Problem(Contents(base + QStringLiteral(".srt")),
                                                       Contents(base + QStringLiteral(".lrc")), kEnglish, 2,
                                                       qint64(recorded * 1000) + 1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        ran = Tool(QStringList{QStringLiteral("export-mp3")} + voice
                   + QStringList{"--rate", "6", "--name", "fast", m_document});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        const QString decoded = m_dir.filePath(QStringLiteral("fast.wav"));
        QVERIFY(Run(QStringLiteral("lame"), {"--quiet", "--decode", m_paths.recordsDir + "fast.mp3", decoded}));
        QVERIFY2(Seconds(decoded) < recorded * 0.85, qPrintable(QString::number(Seconds(decoded))));

        // In the window's export the same, with nothing said about another voice.
        const ExportResult result = m_exporter->Export(Request(QStringLiteral("window"), m_flite));
        QVERIFY2(result.ok && result.notice.isEmpty(), qPrintable(result.reason + result.notice));
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), result.file}), QStringLiteral("16000"));
    }

    // A module the renderer cannot reach: its language's espeak-ng voice, told before
    // the recording starts, in the window and on the command line.
    void unknownModuleIsRecordedByEspeakAndSaysSo()
    {
        const ExportRequest request = Request(QStringLiteral("other"), m_elsewhere);
        QSignalSpy status(m_exporter.get(), &AudioExporter::statusText);
        const ExportResult result = m_exporter->Export(request);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY2(result.notice.contains(QStringLiteral("«SAPI %1» no es pot desar en un fitxer: el fitxer de so es "
                                                       "fa amb la veu d'espeak-ng").arg(m_elsewhere)),
                 qPrintable(result.notice));
        QVERIFY(status.constFirst().constFirst().toString().contains(QLatin1String("espeak-ng")));
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), result.file}), QStringLiteral("22050"));

        const Ran ran = Tool({QStringLiteral("export-wav"), QStringLiteral("--voice"), VoiceNumber(m_elsewhere),
                              QStringLiteral("--name"), QStringLiteral("other tool"), m_document});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        QVERIFY2(ran.err.contains(QLatin1String("no es pot desar en un fitxer")), qPrintable(ran.err));
    }
};

QTEST_GUILESS_MAIN(TestExportSpeechDispatcher)
#include "test_export_speechdispatcher.moc"
