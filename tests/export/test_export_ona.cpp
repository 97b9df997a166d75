#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "platform/DesktopWindowsDBus.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "tolvanet-tool/ExportToolVerbs.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/CommaDecimalSession.h"
#include "tests/common/SoundTools.h"
#include "tests/common/SubtitleFiles.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

const QString kCatalan = QStringLiteral("Bon dia a tothom. Avui fa sol i anem a l\u2019escola amb la bicicleta.");

// The processes that the threads of `parent` started.
QList<int> ChildrenOf(int parent)
{
    QList<int> children;
    for (const QString &task : QDir(QStringLiteral("/proc/%1/task").arg(parent)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QByteArray &child : SoundTools::Contents(QStringLiteral("/proc/%1/task/%2/children").arg(parent).arg(task)).split(' '))
            if (child.toInt() > 0)
                children << child.toInt();
    return children;
}

} // namespace

using namespace SoundTools;

// The UPCTV voices recorded by the real rendering program through the real library.
class TestExportOna : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    AppPaths m_paths;
    std::unique_ptr<DBusDesktopWindows> m_desktop;
    std::unique_ptr<ProcessRendererLauncher> m_launcher;
    std::unique_ptr<AudioExporter> m_exporter;

    ExportResult Export(const QString &text, const QString &name, int entry, int rate = 0)
    {
        ExportRequest request;
        request.text = text;
        request.name = name;
        request.voice = {ExportFamily::Upctv, entry};
        request.rate = rate;
        request.subtitles = kAllSubtitles;
        return m_exporter->Export(request);
    }
    QString SubtitleProblem(const QString &name, const QString &text, int cues)
    {
        const QString base = m_paths.recordsDir + name;
        return SubtitleFiles::Problem(Contents(base + QStringLiteral(".srt")), Contents(base + QStringLiteral(".lrc")),
                                      text, cues, qint64(Seconds(base + QStringLiteral(".wav")) * 1000) + 1);
    }

private slots:
    void initTestCase()
    {
        // test.sh installs and starts all of these: a missing one is a fault of the set-up.
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no D-Bus session bus for the rendering program's window");
        for (const char *tool : {"soxi", "lame", "text2wave"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
        QVERIFY2(UpctvRenderingProblem({ExportFamily::Upctv, 1}).isEmpty(), "festival's Catalan voice ona is not installed");
        // A program folder of its own, with the library beside the programs.
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/SonnerixaWav");
        QVERIFY(QFile::copy(built, m_dir.filePath(QStringLiteral("SonnerixaWav"))));
        QVERIFY(QFile::copy(QStringLiteral(UPCTV_LIBRARY), m_dir.filePath(QStringLiteral("libupctv.so"))));
        m_paths = AppPaths::ForProgramDir(m_dir.path());
        m_desktop = std::make_unique<DBusDesktopWindows>();
        m_launcher = std::make_unique<ProcessRendererLauncher>(m_paths.programDir);
        m_exporter = std::make_unique<AudioExporter>(m_paths, *m_desktop, *m_launcher);
    }

    // From the command line, as a teacher exports a worksheet: ona's own recording
    // (festival's 16 kHz, as long as text2wave makes it), with subtitles that follow it.
    void onaIsRecordedAsFestivalSpeaksHer()
    {
        const QString document = m_dir.filePath(QStringLiteral("fitxa.txt"));
        QVERIFY(Write(document, kCatalan.toUtf8()));
        const QString reference = m_dir.filePath(QStringLiteral("text2wave.wav"));
        QVERIFY(Write(m_dir.filePath(QStringLiteral("fitxa.latin9")),
                      QString(kCatalan).replace(QChar(0x2019), QLatin1Char('\'')).toLatin1()));
        QVERIFY(Run(QStringLiteral("text2wave"), {QStringLiteral("-eval"), QStringLiteral("(voice_upc_ca_ona_hts)"),
                                                  m_dir.filePath(QStringLiteral("fitxa.latin9")), QStringLiteral("-o"),
                                                  reference}));
        const double festival = Seconds(reference);
        QVERIFY(festival > 2.0);

        const int ona = int(VoiceCatalog::EspeakVoices().size() + VoiceCatalog::SpeechDispatcherVoices().size()) + 1;
        const QStringList voice{QStringLiteral("--voice"), QString::number(ona), QStringLiteral("--rate"),
                                QStringLiteral("0")};
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), voice + QStringList{document}, m_paths),
                 std::optional<int>(0));
        const QString wav = m_paths.recordsDir + QStringLiteral("fitxa.wav");
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), wav}), QStringLiteral("16000"));
        const double recorded = Seconds(wav);
        QVERIFY2(qAbs(recorded - festival) <= festival * 0.1,
                 qPrintable(QStringLiteral("%1 s recorded, %2 s from text2wave").arg(recorded).arg(festival)));
        const SettingsStore exchange(m_paths.exchangeFile);
        QCOMPARE(exchange.ReadString("tts to Wav", "Tipus de sintetitzador", ""), QStringLiteral("UPCTV"));
        QCOMPARE(exchange.ReadString("tts to Wav", "Sintetitzador", ""), QStringLiteral("1"));
        const QString problem = SubtitleProblem(QStringLiteral("fitxa"), kCatalan, 2);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // The voice by the name the list shows, as a user types it.
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-mp3"),
                                   {"--voice", "UPCTV - Dona - Català", "--name", "fitxa mp3", document}, m_paths),
                 std::optional<int>(0));
        const QString decoded = m_dir.filePath(QStringLiteral("decoded.wav"));
        QVERIFY(Run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"),
                                             m_paths.recordsDir + QStringLiteral("fitxa mp3.mp3"), decoded}));
        QVERIFY2(qAbs(Seconds(decoded) - festival) <= festival * 0.1, qPrintable(QString::number(Seconds(decoded))));
    }

    // The three voices the library speaks with espeak-ng are recorded too; text the
    // voice cannot read leaves the rest of the recording whole.
    void theLibrarysOtherVoicesAndAwkwardTextAreRecorded()
    {
        const QString spanish = QStringLiteral("Buenos días a todos. Hoy hace sol.");
        ExportResult result = Export(spanish, QStringLiteral("mujer"), 3);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), result.file}), QStringLiteral("22050"));
        QString problem = SubtitleProblem(QStringLiteral("mujer"), spanish, 2);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // Her subtitles keep their places past characters of two halves and the l with a dot.
        const QString awkward = QStringLiteral("Hola \u03B1\u03B2\u03B3 \u4F60\u597D \U0001F600 ") + QChar(0)
                                + QStringLiteral(" el coŀlegi \U0001F600 tanca.");
        result = Export(awkward, QStringLiteral("estrany"), 1);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY2(Seconds(result.file) > 0.5, qPrintable(QString::number(Seconds(result.file))));
        const QString lyrics = QString::fromUtf8(Contents(m_paths.recordsDir + QStringLiteral("estrany.lrc")));
        QVERIFY2(lyrics.contains(QRegularExpression(QStringLiteral("<[0-9:.]+>coŀlegi"))), qPrintable(lyrics));
        QVERIFY2(lyrics.contains(QRegularExpression(QStringLiteral("<[0-9:.]+>tanca."))), qPrintable(lyrics));
        // Nothing she can read: a silent recording, at once.
        result = Export(QStringLiteral("\U0001F600 \u2605 \u4F60"), QStringLiteral("res"), 1);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(Seconds(result.file) < 0.5);
    }

    // The rate bar slows ona down and speeds her up.
    void theRateChangesHerSpeedBothWays()
    {
        QList<double> seconds;
        for (const int rate : {-10, 0, 10})
            seconds << Seconds(Export(kCatalan, QStringLiteral("rate %1").arg(rate), 1, rate).file);
        QVERIFY2(seconds.at(0) > seconds.at(1) * 1.3 && seconds.at(2) < seconds.at(1) * 0.75 && seconds.at(2) > 0,
                 qPrintable(QStringLiteral("%1 s slowest, %2 s normal, %3 s fastest")
                                .arg(seconds.at(0)).arg(seconds.at(1)).arg(seconds.at(2))));
    }

    // A festival killed in the middle of a recording is started again and the recording
    // is whole; one that never answers ends the export with a message, not a hang; and the
    // next export works.
    void aFestivalThatDiesOrHangsEndsTheExport()
    {
        QStringList sentences;
        for (int i = 1; i <= 40; ++i)
            sentences << QStringLiteral("La frase %1 parla del mar, de la muntanya i del camí de l'escola.").arg(i);
        const QString text = sentences.join(QLatin1Char(' '));
        ExportResult result = Export(text, QStringLiteral("sencer"), 1);
        QVERIFY2(result.ok, qPrintable(result.reason));
        const double whole = Seconds(result.file);

        // The rendering program's festivals are killed from inside the export, a fifth of the way through.
        int killed = 0;
        const QObject listening;
        connect(m_exporter.get(), &AudioExporter::progress, &listening, [&killed](int percent) {
            for (const int renderer : percent < 20 || killed ? QList<int>() : ChildrenOf(int(QCoreApplication::applicationPid())))
                for (const int child : ChildrenOf(renderer))
                    if (Contents(QStringLiteral("/proc/%1/comm").arg(child)) == "festival\n" && kill(child, SIGKILL) == 0)
                        ++killed;
        });
        QTRY_VERIFY(!m_launcher->Running());
        result = Export(text, QStringLiteral("interromput"), 1);
        QVERIFY(killed > 0);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY2(qAbs(Seconds(result.file) - whole) <= whole * 0.05,
                 qPrintable(QStringLiteral("%1 s after the kill, %2 s whole").arg(Seconds(result.file)).arg(whole)));

        // A festival that reads its requests and never answers.
        const QString fake = m_dir.filePath(QStringLiteral("mut"));
        QVERIFY(QDir().mkpath(fake));
        QVERIFY(Write(fake + QStringLiteral("/festival"), "#!/bin/sh\nexec cat >/dev/null\n"));
        QVERIFY(QFile::setPermissions(fake + QStringLiteral("/festival"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", fake.toLocal8Bit() + ':' + path);
        QTRY_VERIFY(!m_launcher->Running());
        result = Export(text, QStringLiteral("mut"), 1);
        qputenv("PATH", path);
        QVERIFY(!result.ok);
        QVERIFY2(!result.reason.isEmpty(), "a failed export says why");
        QVERIFY(!QFile::exists(m_paths.recordsDir + QStringLiteral("mut.wav")));
        QTRY_VERIFY(!m_launcher->Running());
        result = Export(kCatalan, QStringLiteral("després"), 1);
        QVERIFY2(result.ok, qPrintable(result.reason));
    }

    // In our users' comma-decimal sessions ona is recorded as long as festival says the
    // text, with its subtitles; a festival that makes nothing of the text ends the export
    // with its reason and leaves the older recording of that name as it was.
    void aCommaDecimalSessionRecordsHerAndKeepsAnOlderFileOnFailure()
    {
        ENTER_COMMA_DECIMAL_SESSION(comma, "ca_ES.UTF-8");
        const QString latin9 = m_dir.filePath(QStringLiteral("coma.latin9"));
        QVERIFY(Write(latin9, QString(kCatalan).replace(QChar(0x2019), QLatin1Char('\'')).toLatin1()));
        const QString reference = m_dir.filePath(QStringLiteral("coma-text2wave.wav"));
        QVERIFY(Run(QStringLiteral("text2wave"), {QStringLiteral("-eval"), QStringLiteral("(voice_upc_ca_ona_hts)"), latin9,
                                                  QStringLiteral("-o"), reference}));
        const double festival = Seconds(reference);
        QTRY_VERIFY(!m_launcher->Running());
        ExportResult result = Export(kCatalan, QStringLiteral("coma"), 1);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY2(qAbs(Seconds(result.file) - festival) <= festival * 0.1,
                 qPrintable(QStringLiteral("%1 s recorded, %2 s from text2wave").arg(Seconds(result.file)).arg(festival)));
        const QString problem = SubtitleProblem(QStringLiteral("coma"), kCatalan, 2);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(Seconds(Export(kCatalan, QStringLiteral("coma ràpida"), 1, 4).file) < festival * 0.9, "the rate is heard");

        const QString fake = m_dir.filePath(QStringLiteral("rebutja"));
        QVERIFY(QDir().mkpath(fake));
        QVERIFY(Write(fake + QStringLiteral("/festival"), RejectingFestivalScript()));
        QVERIFY(QFile::setPermissions(fake + QStringLiteral("/festival"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray before = Contents(result.file);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", fake.toLocal8Bit() + ':' + path);
        QTRY_VERIFY(!m_launcher->Running());
        result = Export(kCatalan, QStringLiteral("coma"), 1);
        QVERIFY(!result.ok);
        QVERIFY2(!result.reason.isEmpty(), "a failed export says why");
        QCOMPARE(Contents(m_paths.recordsDir + QStringLiteral("coma.wav")), before);
        QTRY_VERIFY(!m_launcher->Running());
    }

    // A line of 50 MB would keep ona busy for days: it is refused at once, and said why.
    void aHugeLineIsRefusedWithItsReason()
    {
        const QString line = QStringLiteral("paraula ").repeated(50 * 1024 * 1024 / 8);
        const ExportResult result = Export(line, QStringLiteral("enorme"), 1);
        QVERIFY(!result.ok);
        QVERIFY2(result.reason.startsWith(QStringLiteral("El text és massa llarg per desar-lo amb la veu UPCTV - Dona - "
                                                         "Català: té 52428800 caràcters")),
                 qPrintable(result.reason.left(200)));
        QVERIFY(!QFile::exists(m_paths.recordsDir + QStringLiteral("enorme.wav")));
    }

    // In the interface language the export is asked in.
    void withoutFestivalTheExportSaysWhatToInstall()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        ExportRequest request;
        request.text = kCatalan;
        request.name = QStringLiteral("sense festival");
        request.voice = {ExportFamily::Upctv, 1};
        request.language = 5;
        const ExportResult result = m_exporter->Export(request);
        qputenv("PATH", path);
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QStringLiteral("The voice UPCTV - Dona - Català needs festival: install festival "
                                               "festival-ca festvox-ca-ona-hts (sudo apt install festival festival-ca "
                                               "festvox-ca-ona-hts). No sound file was made."));
        QVERIFY(!QFile::exists(m_paths.recordsDir + QStringLiteral("sense festival.wav")));
    }
};

QTEST_GUILESS_MAIN(TestExportOna)
#include "test_export_ona.moc"
