#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "platform/DesktopWindowsDBus.h"
#include "export/AudioExportPrograms.h"
#include "export/AudioExporter.h"
#include "tolvanet-tool/ExportToolVerbs.h"
#include "engines/VoiceCatalog.h"
#include "tests/common/SoundTools.h"
#include "tests/common/SubtitleFiles.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kFirstLine = QStringLiteral("Bon dia a tothom.");
const QString kDocument = kFirstLine + QStringLiteral("\nAvui fa sol i anem a l'escola amb la bicicleta.\n"
                                                      "La mestra ens llegeix un conte de dracs i princeses.");

} // namespace

using namespace SoundTools;

// The real rendering program, desktop bus and lame together.
class TestExportEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    AppPaths m_paths;
    int m_catalan = -1;
    std::unique_ptr<DBusDesktopWindows> m_desktop;
    std::unique_ptr<ProcessRendererLauncher> m_launcher;
    std::unique_ptr<AudioExporter> m_exporter;

    ExportResult Export(const QString &text, const QString &name, ExportFormat format, int rate,
                        SubtitleChoice subtitles = {})
    {
        ExportRequest request;
        request.subtitles = subtitles;
        request.text = text;
        request.name = name;
        request.format = format;
        request.voice = {ExportFamily::Msp, m_catalan};
        request.rate = rate;
        return m_exporter->Export(request);
    }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no D-Bus session bus: the rendering program cannot publish its window");
        for (const char *tool : {"soxi", "lame", "file", "opusenc", "opusinfo"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
        const QList<VoiceCatalog::Voice> voices = VoiceCatalog::EspeakVoices();
        for (int i = 0; i < voices.size() && m_catalan < 0; ++i)
            if (voices.at(i).identifier == QLatin1String("roa/ca"))
                m_catalan = i;
        if (m_catalan < 0)
            QSKIP("espeak-ng has no Catalan voice");
        // A program folder of its own, as an installed copy has.
        const QString renderer = QCoreApplication::applicationDirPath() + QStringLiteral("/SonnerixaWav");
        QVERIFY(QFile::copy(renderer, m_dir.filePath(QStringLiteral("SonnerixaWav"))));
        m_paths = AppPaths::ForProgramDir(m_dir.path());
        m_desktop = std::make_unique<DBusDesktopWindows>();
        m_launcher = std::make_unique<ProcessRendererLauncher>(m_paths.programDir);
        m_exporter = std::make_unique<AudioExporter>(m_paths, *m_desktop, *m_launcher);
    }

    void wavHoldsTheWholeDocumentAtTheChosenRate()
    {
        const ExportResult result = Export(kDocument, QStringLiteral("conte"), ExportFormat::Wav, 5);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(result.file, m_paths.recordsDir + QStringLiteral("conte.wav"));
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-r"), result.file}), QStringLiteral("22050"));
        QCOMPARE(Run(QStringLiteral("soxi"), {QStringLiteral("-c"), result.file}), QStringLiteral("1"));
        const double fast = Seconds(result.file);
        QVERIFY2(fast > 3.0 && fast < 30.0, qPrintable(QString::number(fast)));

        // Every line is spoken, not only the first.
        QVERIFY(Export(kFirstLine, QStringLiteral("linia"), ExportFormat::Wav, 5).ok);
        QVERIFY(Seconds(m_paths.recordsDir + QStringLiteral("linia.wav")) < fast / 2);
        // Rate 5 is faster than the normal rate.
        QVERIFY(Export(kDocument, QStringLiteral("normal"), ExportFormat::Wav, 0).ok);
        QVERIFY(Seconds(m_paths.recordsDir + QStringLiteral("normal.wav")) > fast * 1.2);

        // The rendering program was closed at the end.
        WaitWithEvents(300);
        QVERIFY(m_desktop->FindWindowByTitle(QStringLiteral("SonnerixaWav - Projecte Quimbo 2013 - ")).isEmpty());
        QVERIFY(!m_launcher->Running());
    }

    void mp3IsLeftAloneInTheRecordsFolder()
    {
        const ExportResult result = Export(kDocument, QStringLiteral("conte mp3"), ExportFormat::Mp3, 5);
        QVERIFY2(result.ok, qPrintable(result.reason));
        const QString mp3 = m_paths.recordsDir + QStringLiteral("conte mp3.mp3");
        QCOMPARE(result.file, mp3);
        QVERIFY(!QFile::exists(m_paths.recordsDir + QStringLiteral("conte mp3.wav")));
        const QString kind = Run(QStringLiteral("file"), {QStringLiteral("-b"), mp3}).value_or(QString());
        QVERIFY2(kind.contains(QLatin1String("MPEG ADTS, layer III")) || kind.contains(QLatin1String("ID3")),
                 qPrintable(kind));
        const QString decoded = m_dir.filePath(QStringLiteral("decoded.wav"));
        QVERIFY(Run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), mp3, decoded}));
        const double seconds = Seconds(decoded);
        QVERIFY2(seconds > 3.0 && seconds < 30.0, qPrintable(QString::number(seconds)));
    }

    void opusIsReadBackAndSmallerThanMp3()
    {
        const ExportResult opus = Export(kDocument, QStringLiteral("conte"), ExportFormat::Opus, 5);
        QVERIFY2(opus.ok, qPrintable(opus.reason));
        QCOMPARE(opus.file, m_paths.recordsDir + QStringLiteral("conte.opus"));
        QProcess info;
        info.start(QStringLiteral("opusinfo"), {opus.file});
        QVERIFY(info.waitForFinished(60000));
        const QString report = QString::fromUtf8(info.readAll());
        QVERIFY2(info.exitCode() == 0 && report.contains(QLatin1String("Opus stream 1")), qPrintable(report));
        static const QRegularExpression length(QStringLiteral("Playback length: (\\d+)m:([\\d.]+)s"));
        const QRegularExpressionMatch played = length.match(report);
        QVERIFY2(played.hasMatch(), qPrintable(report));
        const double seconds = played.captured(1).toInt() * 60 + played.captured(2).toDouble();
        QVERIFY2(seconds > 3.0 && seconds < 30.0, qPrintable(report));

        const ExportResult mp3 = Export(kDocument, QStringLiteral("conte"), ExportFormat::Mp3, 5);
        QVERIFY2(mp3.ok, qPrintable(mp3.reason));
        QVERIFY2(QFileInfo(opus.file).size() * 3 < QFileInfo(mp3.file).size() * 2,
                 qPrintable(QStringLiteral("Opus %1 bytes, MP3 %2 bytes")
                                .arg(QFileInfo(opus.file).size()).arg(QFileInfo(mp3.file).size())));
    }

    void subtitlesHoldTheDocumentsWordsWithinTheSound()
    {
        // The dictionary says a whole document of one word otherwise: the subtitles keep the word.
        m_exporter->SetDictionary([](const QString &text) {
            return text == QStringLiteral("UPC") ? QStringLiteral("Universitat Politècnica de Catalunya") : text;
        });
        for (const auto &[text, cues] : {std::pair{kDocument, 3}, std::pair{QStringLiteral("UPC"), 1}}) {
            const ExportResult result = Export(text, QStringLiteral("subtitulat"), ExportFormat::Wav, 0, kAllSubtitles);
            QVERIFY2(result.ok, qPrintable(result.reason));
            QCOMPARE(result.subtitleFiles.size(), 2);
            const auto bytes = [this](const char *name) {
                QFile file(m_paths.recordsDir + QLatin1String(name));
                return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            };
            const QString problem = SubtitleFiles::Problem(bytes("subtitulat.srt"), bytes("subtitulat.lrc"), text,
                                                           cues, qint64(Seconds(result.file) * 1000) + 1);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        m_exporter->SetDictionary({});
        const QStringList hidden{QStringLiteral(".Sonnerix*")};
        QVERIFY(QDir(m_paths.recordsDir).entryList(hidden, QDir::Files | QDir::Hidden).isEmpty());
    }

    void wavThenMp3UnderOneNameKeepsBoth()
    {
        QVERIFY(Export(kFirstLine, QStringLiteral("Sintetitzat"), ExportFormat::Wav, 0).ok);
        const QString wav = m_paths.recordsDir + QStringLiteral("Sintetitzat.wav");
        const double wavSeconds = Seconds(wav);
        const ExportResult mp3 = Export(kDocument, QStringLiteral("Sintetitzat"), ExportFormat::Mp3, 0);
        QVERIFY2(mp3.ok, qPrintable(mp3.reason));
        QVERIFY(QFileInfo(mp3.file).size() > 0);
        QCOMPARE(Seconds(wav), wavSeconds);  // the first line only, as it was saved
        QVERIFY(QDir(m_paths.recordsDir).entryList({QStringLiteral(".Sonnerix*")}, QDir::Files | QDir::Hidden).isEmpty());
    }

    void toolVerbsExportADocumentFile()
    {
        const QString document = m_dir.filePath(QStringLiteral("conte.txt"));
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kDocument.toUtf8());
        file.close();

        QCOMPARE(RunExportToolVerb(QStringLiteral("export-mp3"),
                                   {QStringLiteral("--name"), QStringLiteral("eina"), QStringLiteral("--voice"),
                                    QStringLiteral("ca"), QStringLiteral("--rate"), QStringLiteral("5"), document},
                                   m_paths),
                 std::optional<int>(0));
        QVERIFY(QFileInfo(m_paths.recordsDir + QStringLiteral("eina.mp3")).size() > 0);
        // The name defaults to the document's.
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"),
                                   {QStringLiteral("--voice"), QString::number(m_catalan), document}, m_paths),
                 std::optional<int>(0));
        QVERIFY(QFileInfo(m_paths.recordsDir + QStringLiteral("conte.wav")).size() > 44);

        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"),
                                   {QStringLiteral("--rate"), QStringLiteral("11"), document}, m_paths),
                 std::optional<int>(2));
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"),
                                   {QStringLiteral("--name"), QStringLiteral("../fora"), document}, m_paths),
                 std::optional<int>(2));
        QCOMPARE(RunExportToolVerb(QStringLiteral("calculate"), {}, m_paths), std::nullopt);

        // Subtitles beside every sound file unless told otherwise; Opus by its own verb.
        QVERIFY(QFile::exists(m_paths.recordsDir + QStringLiteral("eina.srt")));
        QVERIFY(QFile::exists(m_paths.recordsDir + QStringLiteral("conte.lrc")));
        const QStringList catalan{QStringLiteral("--voice"), QStringLiteral("ca"), document};
        const QStringList lyricsOnly{"--name", "nomes lrc", "--subtitles", "LRC"};
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-opus"), lyricsOnly + catalan, m_paths), std::optional<int>(0));
        const QStringList none{"--name", "sense", "--no-subtitles"};
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), none + catalan, m_paths), std::optional<int>(0));
        QStringList made = QDir(m_paths.recordsDir).entryList({QStringLiteral("nomes*"), QStringLiteral("sense*")});
        QCOMPARE(made, (QStringList{"nomes lrc.lrc", "nomes lrc.opus", "sense.wav"}));
        for (const QStringList &wrong :
             {QStringList{"--subtitles", "vtt"}, QStringList{"--subtitles", "srt", "--no-subtitles"}})
            QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), wrong + catalan, m_paths), std::optional<int>(2));
    }

    void blanksAroundANameNeverReachAnotherFile()
    {
        const QString document = m_dir.filePath(QStringLiteral("noms.txt"));
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kFirstLine.toUtf8());
        file.close();
        const QString records = m_paths.recordsDir;
        QDir(records).removeRecursively();
        const QStringList voice{QStringLiteral("--voice"), QString::number(m_catalan)};
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), voice + QStringList{"--name", " t", document}, m_paths),
                 std::optional<int>(0));
        // A name of blanks is no name: the document's name is used.
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), voice + QStringList{"--name", " ", document}, m_paths),
                 std::optional<int>(0));
        // A name ending in "." would give its recording a ".." the rendering program refuses:
        // refused at once, and a document's name drops the dots before its extension.
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), voice + QStringList{"--name", "Fi.", document}, m_paths),
                 std::optional<int>(2));
        const QString dotted = m_dir.filePath(QStringLiteral("Capitol 1..txt"));
        QVERIFY(QFile::copy(document, dotted));
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), voice + QStringList{dotted}, m_paths),
                 std::optional<int>(0));
        QCOMPARE(QDir(records).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"Capitol 1.lrc", "Capitol 1.srt", "Capitol 1.wav", "noms.lrc", "noms.srt", "noms.wav",
                              "t.lrc", "t.srt", "t.wav"}));
    }

    void theCommandLineLeavesTheUsersSettingsAlone()
    {
        // A dictionary that has gone away since the editor last ran.
        const QByteArray settings = "[FormDiccionariExcepcions]\r\nHiHaDiccionariExcepcions=SI\r\n"
                                    "NomFitxerDiccionariExcepcions=" + QFile::encodeName(m_dir.filePath("gone.txt"))
                                    + "\r\n[tts]\r\nvelocitat=3\r\n";
        QFile file(m_paths.settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
        file.close();
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"),
                                   {QStringLiteral("--voice"), QString::number(m_catalan), QStringLiteral("--name"),
                                    QStringLiteral("sense canvis"), m_dir.filePath(QStringLiteral("noms.txt"))},
                                   m_paths),
                 std::optional<int>(0));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), settings);
        file.close();
        QFile::remove(m_paths.settingsFile);
    }

    void theStoredVoiceIsFoundByItsName()
    {
        // The number another voice list gave; the name of the voice chosen beside it.
        const QString name = VoiceCatalog::EspeakVoices().at(m_catalan).description;
        const QByteArray settings = "[tts]\r\nNumero sintetitzador=" + QByteArray::number(m_catalan + 3)
                                    + "\r\nNom sintetitzador=" + name.toUtf8() + "\r\n";
        const auto write = [](const QString &path, const QByteArray &bytes) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write(m_paths.settingsFile, settings));
        const QString document = m_dir.filePath(QStringLiteral("pel nom.txt"));
        QVERIFY(write(document, kFirstLine.toUtf8()));
        QCOMPARE(RunExportToolVerb(QStringLiteral("export-wav"), {document}, m_paths), std::optional<int>(0));
        const SettingsStore exchange(m_paths.exchangeFile);
        QCOMPARE(exchange.ReadString("tts to Wav", "Tipus de sintetitzador", ""), QStringLiteral("MSP"));
        QCOMPARE(exchange.ReadString("tts to Wav", "Sintetitzador", ""), QString::number(m_catalan));
        const SettingsStore users(m_paths.settingsFile);
        QCOMPARE(users.ReadString("tts", "Numero sintetitzador", ""), QString::number(m_catalan));
        QCOMPARE(users.ReadString("tts", "Nom sintetitzador", ""), name);
        QFile::remove(m_paths.settingsFile);
    }

    void twoExportsAtOnceEachGetTheirWholeRecording()
    {
        // Two teachers' scripts start tolvanet-tool in one program folder at the same time.
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool");
        QVERIFY(QFile::copy(tool, m_dir.filePath(QStringLiteral("tolvanet-tool"))));
        const QString shortText = m_dir.filePath(QStringLiteral("curt.txt"));
        const QString longText = m_dir.filePath(QStringLiteral("llarg.txt"));
        for (const auto &[path, text] : {std::pair{shortText, kFirstLine}, std::pair{longText, kDocument}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        }
        QProcess first;
        QProcess second;
        const QStringList voice{QStringLiteral("--voice"), QString::number(m_catalan), QStringLiteral("--rate"),
                                QStringLiteral("5")};
        first.start(m_dir.filePath(QStringLiteral("tolvanet-tool")),
                    QStringList{QStringLiteral("export-wav")} + voice + QStringList{shortText});
        second.start(m_dir.filePath(QStringLiteral("tolvanet-tool")),
                     QStringList{QStringLiteral("export-wav")} + voice + QStringList{longText});
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        const double shortSeconds = Seconds(m_paths.recordsDir + QStringLiteral("curt.wav"));
        const double longSeconds = Seconds(m_paths.recordsDir + QStringLiteral("llarg.wav"));
        // Each holds its own whole text: the whole document lasts several times its first line.
        QVERIFY2(shortSeconds > 0.5 && longSeconds > 3 * shortSeconds,
                 qPrintable(QStringLiteral("%1 s and %2 s").arg(shortSeconds).arg(longSeconds)));
    }

    // A program folder of its own with the command line and the rendering program in it.
    static QString ProgramFolder(const QString &path)
    {
        QDir().mkpath(path);
        for (const char *program : {"tolvanet-tool", "SonnerixaWav"})
            if (!QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                             path + QLatin1Char('/') + QLatin1String(program)))
                return QString();
        return path + QStringLiteral("/tolvanet-tool");
    }

    // A rendering program whose starter dies before it sends a job (a tool killed at
    // once) does not stay behind holding its title.
    void aRendererWhoseStarterDiesEndsToo()
    {
        const QString folder = m_dir.filePath(QStringLiteral("orfe"));
        QVERIFY(!ProgramFolder(folder).isEmpty());
        const QString title = ExportProtocol::RendererWindowTitle(AppPaths::ForProgramDir(folder).exchangeFile);
        QProcess starter;
        starter.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("\"$0\" QUIMBO & sleep 120"),
                                             folder + QStringLiteral("/SonnerixaWav")});
        DBusDesktopWindows desktop;
        QTRY_VERIFY_WITH_TIMEOUT(!desktop.FindWindowByTitle(title).isEmpty(), 30000);
        starter.kill();
        QVERIFY(starter.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(desktop.FindWindowByTitle(title).isEmpty(), 10000);
    }

    // Two copies of the program, each in its own folder, export at the same time: each
    // talks to its own renderer.
    void twoProgramFoldersExportAtOnce()
    {
        QProcess exports[2];
        QString folders[2];
        for (int i = 0; i < 2; ++i) {
            folders[i] = m_dir.filePath(QStringLiteral("copia%1").arg(i));
            const QString tool = ProgramFolder(folders[i]);
            QVERIFY(!tool.isEmpty());
            const QString document = folders[i] + QStringLiteral("/conte.txt");
            QFile file(document);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kDocument.toUtf8());
            file.close();
            exports[i].start(tool, {"export-wav", "--no-subtitles", "--voice", QString::number(m_catalan), document});
        }
        for (int i = 0; i < 2; ++i) {
            QVERIFY(exports[i].waitForFinished(120000));
            QVERIFY2(exports[i].exitCode() == 0, exports[i].readAllStandardError().constData());
            QVERIFY(Seconds(folders[i] + QStringLiteral("/records/conte.wav")) > 3);
        }
    }

    // The command line is killed in the middle of an export: its renderer ends too, and the
    // next export is whole, with nothing of the first left in the records folder.
    void anExportWhoseProgramWasKilledLeavesNothingBehind()
    {
        const QString folder = m_dir.filePath(QStringLiteral("mort"));
        const QString tool = ProgramFolder(folder);
        QVERIFY(!tool.isEmpty());
        const AppPaths paths = AppPaths::ForProgramDir(folder);
        QDir().mkpath(paths.recordsDir);
        QFile old(paths.recordsDir + QStringLiteral("conte.wav"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an old recording");
        old.close();
        QStringList sentences;
        for (int i = 0; i < 300; ++i)
            sentences << QStringLiteral("Aquesta és la frase número %1 del conte llarg.").arg(i);
        const QString document = folder + QStringLiteral("/conte.txt");
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sentences.join('\n').toUtf8());
        file.close();
        const QStringList arguments{"export-wav", "--voice", QString::number(m_catalan), document};
        QProcess first;
        first.start(tool, arguments);
        const QString title = ExportProtocol::RendererWindowTitle(paths.exchangeFile);
        DBusDesktopWindows desktop;
        // Once the renderer writes, the export's program is killed.
        QTRY_VERIFY_WITH_TIMEOUT(!desktop.FindWindowByTitle(title).isEmpty()
                                     && QFile::exists(paths.recordsDir + QStringLiteral(".conte.wav.anterior")),
                                 60000);
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(desktop.FindWindowByTitle(title).isEmpty(), 30000);

        QFile::remove(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kFirstLine.toUtf8());
        file.close();
        QProcess second;
        second.start(tool, arguments);
        QVERIFY(second.waitForFinished(120000));
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        QCOMPARE(QDir(paths.recordsDir).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"conte.lrc", "conte.srt", "conte.wav"}));
        QVERIFY(Seconds(paths.recordsDir + QStringLiteral("conte.wav")) > 0.5);
    }
};

QTEST_GUILESS_MAIN(TestExportEndToEnd)
#include "test_export_endtoend.moc"
