#include "core/documents/ZipArchive.h"
#include "export/AudioExportProtocol.h"
#include "tests/common/EpubCheck.h"
#include "tests/common/SoundTools.h"
#include "tests/common/SubtitleFiles.h"

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kCatalan1 = QStringLiteral("Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar.\n");
const QString kSpanish = QStringLiteral("Hoy en clase hemos leído un cuento sobre un niño que vivía junto al mar.\n");
const QString kCatalan2 = QStringLiteral("Els alumnes han de portar el llibre de ciències i una llibreta nova.\n");
const QString kOna = QStringLiteral("UPCTV - Dona - Català");
const QByteArray kSwitchOn = "[LlibreriaLlegir]\r\nCANVI DE LLENGUA=SI\r\n";

// The SubRip cues' start times.
QList<qint64> CueStarts(const QByteArray &srt)
{
    static const QRegularExpression timing(QStringLiteral("^(\\d{2}):(\\d{2}):(\\d{2}),(\\d{3}) --> "),
                                           QRegularExpression::MultilineOption);
    QList<qint64> starts;
    for (QRegularExpressionMatchIterator it = timing.globalMatch(QString::fromUtf8(srt)); it.hasNext();)
        starts << SubtitleFiles::Milliseconds(it.next(), 1, true);
    return starts;
}

qint64 SoundMs(const QString &wav)
{
    return qint64(SoundTools::Seconds(wav) * 1000);
}

} // namespace

// The export verbs with the voice following the language: the real rendering program,
// festival's Catalan voice, espeak-ng's Spanish one, sox, lame and opusenc.
class TestLanguageExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tool;

    QString Records() const { return m_dir.filePath(QStringLiteral("records/")); }

    SoundTools::Ran Tool(const QStringList &arguments)
    {
        QProcess process;
        process.start(m_tool, arguments);
        SoundTools::Ran ran;
        ran.ok = process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit
                 && process.exitCode() == 0;
        ran.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        ran.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return ran;
    }

    QString Document(const QString &name, const QString &text)
    {
        const QString path = m_dir.filePath(name);
        return SoundTools::Write(path, text.toUtf8()) ? path : QString();
    }

    bool Settings(const QByteArray &contents)
    {
        return SoundTools::Write(m_dir.filePath(QStringLiteral("tolvanet.ini")), contents);
    }

    // The recording the tool makes of a document in one voice, with the switch off.
    QString OneVoice(const QString &name, const QString &text, const QString &voice)
    {
        if (!Settings(QByteArray()))
            return {};
        const SoundTools::Ran ran = Tool({QStringLiteral("export-wav"), QStringLiteral("--no-subtitles"),
                                          QStringLiteral("--voice"), voice, Document(name + QStringLiteral(".txt"), text)});
        return ran.ok ? ran.out : QString();
    }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no D-Bus session bus: test.sh starts one for the rendering program");
        for (const char *tool : {"sox", "soxi", "opusinfo"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is missing: scripts/install-deps.sh --tests installs it")
                                     .arg(QLatin1String(tool))));
        QVERIFY2(UpctvRenderingProblem({ExportFamily::Upctv, VoiceCatalog::kUpctvOnaEntry}).isEmpty(),
                 "festival's Catalan voice ona is not installed");
        // A program folder of its own, whose settings and records folder are beside the programs.
        for (const char *program : {"tolvanet-tool", "SonnerixaWav"})
            QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                                m_dir.filePath(QLatin1String(program))));
        QVERIFY(QFile::copy(QStringLiteral(UPCTV_LIBRARY), m_dir.filePath(QStringLiteral("libupctv.so"))));
        m_tool = m_dir.filePath(QStringLiteral("tolvanet-tool"));
    }

    // Catalan, Spanish, Catalan: ona, espeak-ng's Spanish, ona, joined in order into one
    // recording as long as the three made apart, the subtitles timed across the joins.
    void eachLanguageIsRecordedByItsVoiceInOrder()
    {
        QVERIFY(Settings(kSwitchOn));
        const QString mixed = Document(QStringLiteral("classe.txt"), kCatalan1 + kSpanish + kCatalan2);
        // The voices the editor reads each paragraph with.
        const SoundTools::Ran told = Tool({QStringLiteral("languages"), mixed});
        QVERIFY2(told.ok, qPrintable(told.err));
        const QStringList lines = told.out.split(u'\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), QStringLiteral("1\tca\t") + kOna);
        QCOMPARE(lines.at(2), QStringLiteral("3\tca\t") + kOna);
        const QString spanishVoice = lines.at(1).section(u'\t', 2);
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("2\tes\t")) && !spanishVoice.isEmpty(), qPrintable(told.out));

        const SoundTools::Ran ran = Tool({QStringLiteral("export-wav"), QStringLiteral("--voice"), QStringLiteral("ca"),
                                          mixed});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        QCOMPARE(ran.out, Records() + QStringLiteral("classe.wav"));
        QCOMPARE(QDir(Records()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("classe.lrc"), QStringLiteral("classe.srt"), QStringLiteral("classe.wav")}));
        const qint64 joined = SoundMs(ran.out);
        const QByteArray srt = SoundTools::Contents(Records() + QStringLiteral("classe.srt"));
        const QByteArray lrc = SoundTools::Contents(Records() + QStringLiteral("classe.lrc"));

        const qint64 first = SoundMs(OneVoice(QStringLiteral("ca1"), kCatalan1, kOna));
        const qint64 spanish = SoundMs(OneVoice(QStringLiteral("es"), kSpanish, spanishVoice));
        const qint64 last = SoundMs(OneVoice(QStringLiteral("ca2"), kCatalan2, kOna));
        QVERIFY(first > 1000 && spanish > 1000 && last > 1000);
        const qint64 apart = first + spanish + last;
        QVERIFY2(qAbs(joined - apart) <= 100,
                 qPrintable(QStringLiteral("joined %1 ms, apart %2 ms").arg(joined).arg(apart)));

        const QString problem = SubtitleFiles::Problem(srt, lrc, kCatalan1 + kSpanish + kCatalan2, 3, joined + 1);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QList<qint64> cues = CueStarts(srt);
        QCOMPARE(cues.size(), 3);
        // Each paragraph's cue begins where its voice begins, give or take the silence before its first word.
        QVERIFY2(cues.at(1) >= first && cues.at(1) < first + 600, qPrintable(QString::fromUtf8(srt)));
        QVERIFY2(cues.at(2) >= first + spanish && cues.at(2) < first + spanish + 600, qPrintable(QString::fromUtf8(srt)));
    }

    // The read-along book follows the language too: a paragraph in another language than
    // the book's says so, for the reading system, and is heard in its language's voice.
    void aBookFollowsTheLanguageToo()
    {
        if (!EpubCheck::Available())
            QFAIL("epubcheck is missing: scripts/install-deps.sh --tests installs it");
        QVERIFY(Settings(kSwitchOn));
        const QString mixed = Document(QStringLiteral("llibre.txt"), kCatalan1 + kSpanish + kCatalan2);
        const SoundTools::Ran ran = Tool({QStringLiteral("export-epub"), QStringLiteral("--voice"), QStringLiteral("ca"),
                                          mixed});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        QCOMPARE(ran.out, Records() + QStringLiteral("llibre.epub"));
        const QString report = EpubCheck::Problems(ran.out);
        QVERIFY2(report.isEmpty(), qPrintable(report));

        ZipArchive zip(ran.out);
        QVERIFY(zip.IsOpen());
        const QByteArray page = zip.Read(QStringLiteral("OEBPS/text/chapter-001.xhtml")).value_or(QByteArray());
        // The Spanish paragraph alone carries a language: xml:lang and lang.
        QCOMPARE(page.count("lang=\"es\""), 2);
        QCOMPARE(page.count("<p xml:lang="), 1);
        QVERIFY(zip.Read(QStringLiteral("OEBPS/content.opf")).value_or(QByteArray()).contains("<dc:language>ca</dc:language>"));

        // Heard as the sound file of the same text is: each paragraph in its voice.
        QTemporaryDir audio;
        const QString mp3 = audio.filePath(QStringLiteral("chapter.mp3"));
        QVERIFY(SoundTools::Write(mp3, zip.Read(QStringLiteral("OEBPS/audio/chapter-001.mp3")).value_or(QByteArray())));
        const SoundTools::Ran wav = Tool({QStringLiteral("export-wav"), QStringLiteral("--no-subtitles"),
                                          QStringLiteral("--voice"), QStringLiteral("ca"), mixed});
        QVERIFY2(wav.ok, qPrintable(wav.err));
        const qint64 book = qint64(SoundTools::Seconds(mp3) * 1000);
        const qint64 joined = SoundMs(wav.out);
        QVERIFY2(qAbs(book - joined) <= 300, qPrintable(QStringLiteral("book %1 ms, sound file %2 ms").arg(book).arg(joined)));
    }

    // Opus follows the language as the WAV does.
    void anOpusRecordingFollowsTheLanguageToo()
    {
        QVERIFY(Settings(kSwitchOn));
        const QString mixed = Document(QStringLiteral("opus.txt"), kCatalan1 + kSpanish);
        const SoundTools::Ran ran = Tool({QStringLiteral("export-opus"), QStringLiteral("--subtitles"),
                                          QStringLiteral("srt"), QStringLiteral("--voice"), QStringLiteral("ca"), mixed});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        QCOMPARE(ran.out, Records() + QStringLiteral("opus.opus"));
        const SoundTools::Ran info = SoundTools::RunProgram(QStringLiteral("opusinfo"), {ran.out});
        QVERIFY2(info.ok && info.out.contains(QLatin1String("Opus stream 1")), qPrintable(info.out));
        QCOMPARE(CueStarts(SoundTools::Contents(Records() + QStringLiteral("opus.srt"))).size(), 2);
        QVERIFY(QDir(Records()).entryList({QStringLiteral(".Sonnerix*")}, QDir::Files | QDir::Hidden).isEmpty());
    }

    // With the switch off, and on a text of one language with it on, the recording is the
    // one-voice recording, byte for byte.
    void offOrOneLanguageIsRecordedAsBefore()
    {
        const QString catalan = kCatalan1 + kCatalan2;
        const QString off = OneVoice(QStringLiteral("off"), catalan, QStringLiteral("ca"));
        QVERIFY(!off.isEmpty());
        QVERIFY(Settings(kSwitchOn));
        const SoundTools::Ran on = Tool({QStringLiteral("export-wav"), QStringLiteral("--no-subtitles"),
                                         QStringLiteral("--voice"), QStringLiteral("ca"),
                                         Document(QStringLiteral("on.txt"), catalan)});
        QVERIFY2(on.ok, qPrintable(on.err));
        QCOMPARE(SoundTools::Contents(on.out), SoundTools::Contents(off));

    }
};

QTEST_MAIN(TestLanguageExport)
#include "test_language_export.moc"
