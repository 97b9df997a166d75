#include "core/documents/ZipArchive.h"
#include "tests/common/SoundTools.h"
#include "tests/common/EpubCheck.h"

#include <QDBusConnection>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString kBook = QStringLiteral(
    "Els animals del bosc\n\n"
    "Capítol 1 La guineu\n\n"
    "La guineu viu al bosc. Té la cua llarga i vermella!\n\n"
    "Surt de nit a buscar menjar. Les gallines en tenen por & la fugen.\n\n"
    "Capítol 2 El teixó\n\n"
    "El teixó fa túnels sota terra. Dorm de dia?\n\n"
    "Unitat 3 Els ocells\n\n"
    "Els ocells canten al matí. <Piu, piu> fan els pardals.\n");

const QString kParagraphs = QStringLiteral(
    "Avui fa sol i anem a l'escola amb la bicicleta. La mestra ens espera a la porta.\n\n"
    "Llegim un conte de dracs i princeses. Després dibuixem el drac més gran del món.\n");

struct Clip
{
    QString text;
    qint64 beginMs = 0;
    qint64 endMs = 0;
};

// "h:mm:ss.fff", as the overlays write it; -1 for anything else.
qint64 ClockMs(const QString &value)
{
    static const QRegularExpression clock(QStringLiteral("^(\\d+):(\\d{2}):(\\d{2})\\.(\\d{3})$"));
    const QRegularExpressionMatch m = clock.match(value);
    if (!m.hasMatch())
        return -1;
    return ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 + m.captured(3).toLongLong()) * 1000
           + m.captured(4).toLongLong();
}

QList<Clip> ClipsOf(const QByteArray &smil)
{
    QList<Clip> clips;
    QXmlStreamReader xml(smil);
    QString text;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("text"))
            text = xml.attributes().value(QLatin1String("src")).toString();
        if (xml.name() == QLatin1String("audio"))
            clips.append({text, ClockMs(xml.attributes().value(QLatin1String("clipBegin")).toString()),
                          ClockMs(xml.attributes().value(QLatin1String("clipEnd")).toString())});
    }
    return clips;
}

// A sound file's length as ffprobe reads it, in milliseconds; -1 when it cannot.
qint64 ProbedMs(const QString &path)
{
    const std::optional<QString> out = SoundTools::Run(
        QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                    QStringLiteral("format=duration"), QStringLiteral("-of"),
                                    QStringLiteral("default=noprint_wrappers=1:nokey=1"), path});
    bool ok = false;
    const double seconds = out.value_or(QString()).toDouble(&ok);
    return ok ? qint64(seconds * 1000) : -1;
}

// The SubRip cues' start times.
QList<qint64> CueStarts(const QByteArray &srt)
{
    static const QRegularExpression timing(QStringLiteral("^(\\d{2}):(\\d{2}):(\\d{2}),(\\d{3}) --> "),
                                           QRegularExpression::MultilineOption);
    QList<qint64> starts;
    for (QRegularExpressionMatchIterator it = timing.globalMatch(QString::fromUtf8(srt)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        starts << ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 + m.captured(3).toLongLong())
                          * 1000
                      + m.captured(4).toLongLong();
    }
    return starts;
}

} // namespace

// The book verbs of the command line with the real rendering program, lame and ffmpeg.
class TestBookEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tool;

    QString Records() const { return m_dir.filePath(QStringLiteral("records")); }

    SoundTools::Ran Tool(const QStringList &arguments, const QString &path = QString())
    {
        QProcess process;
        if (!path.isNull()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("PATH"), path);
            process.setProcessEnvironment(environment);
        }
        process.start(m_tool, arguments);
        SoundTools::Ran ran;
        ran.ok = process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit
                 && process.exitCode() == 0;
        ran.out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        ran.err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return ran;
    }

    QString Document(const QString &name, const QString &text)
    {
        const QString path = m_dir.filePath(name);
        return SoundTools::Write(path, text.toUtf8()) ? path : QString();
    }

    // What the book leaves in the records folder besides the files named.
    QStringList Leftovers(const QStringList &expected)
    {
        return EpubCheck::Leftovers(Records(), expected);
    }

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no D-Bus session bus: test.sh starts one for the rendering program");
        for (const char *tool : {"lame", "ffmpeg", "ffprobe", "sox"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is missing: scripts/install-deps.sh --tests installs it").arg(QLatin1String(tool))));
        // A program folder of its own, whose records folder is beside the programs.
        for (const char *program : {"tolvanet-tool", "SonnerixaWav"})
            QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                                m_dir.filePath(QLatin1String(program))));
        m_tool = m_dir.filePath(QStringLiteral("tolvanet-tool"));
    }

    void anEpubLightsEachSentenceWithinItsChaptersRecording()
    {
        const SoundTools::Ran ran = Tool({QStringLiteral("export-epub"), QStringLiteral("--voice"), QStringLiteral("ca"),
                                          QStringLiteral("--name"), QStringLiteral("bosc"),
                                          Document(QStringLiteral("animals.txt"), kBook)});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        const QString epub = Records() + QStringLiteral("/bosc.epub");
        QCOMPARE(ran.out, epub);
        QCOMPARE(Leftovers({QStringLiteral("bosc.epub")}), QStringList());
        if (EpubCheck::Available()) {
            const QString report = EpubCheck::Problems(epub);
            QVERIFY2(report.isEmpty(), qPrintable(report));
        }

        ZipArchive zip(epub);
        QVERIFY(zip.IsOpen());
        const QByteArray opf = zip.Read(QStringLiteral("OEBPS/content.opf")).value_or(QByteArray());
        QVERIFY(opf.contains("<dc:title>Els animals del bosc</dc:title>"));
        QVERIFY(opf.contains("<dc:language>ca</dc:language>"));
        QVERIFY(opf.contains("media:active-class"));
        const QByteArray nav = zip.Read(QStringLiteral("OEBPS/nav.xhtml")).value_or(QByteArray());
        for (const char *heading : {"Capítol 1 La guineu", "Capítol 2 El teixó", "Unitat 3 Els ocells"})
            QVERIFY2(nav.contains(heading), heading);

        QTemporaryDir audio;
        for (int chapter = 1; chapter <= 4; ++chapter) {
            const QString number = QStringLiteral("%1").arg(chapter, 3, 10, QLatin1Char('0'));
            const QString mp3 = audio.filePath(number + QStringLiteral(".mp3"));
            QVERIFY(SoundTools::Write(
                mp3, zip.Read(QStringLiteral("OEBPS/audio/chapter-%1.mp3").arg(number)).value_or(QByteArray())));
            const qint64 soundMs = ProbedMs(mp3);
            QVERIFY(soundMs > 300);
            const QList<Clip> clips =
                ClipsOf(zip.Read(QStringLiteral("OEBPS/smil/chapter-%1.smil").arg(number)).value_or(QByteArray()));
            QVERIFY(!clips.isEmpty());
            qint64 heard = 0;
            qint64 last = 0;
            for (const Clip &clip : clips) {
                // In order, each inside the recording.
                QVERIFY2(clip.beginMs >= last && clip.endMs > clip.beginMs && clip.endMs <= soundMs,
                         qPrintable(QStringLiteral("%1: %2-%3 of %4").arg(clip.text).arg(clip.beginMs).arg(clip.endMs)
                                        .arg(soundMs)));
                last = clip.endMs;
                heard += clip.endMs - clip.beginMs;
            }
            QVERIFY2(qAbs(heard - soundMs) <= 500, qPrintable(QStringLiteral("%1 of %2").arg(heard).arg(soundMs)));
            // The overlay's stated length is what its clips add up to.
            const QRegularExpression duration(
                QStringLiteral("refines=\"#overlay-%1\">([0-9:.]+)<").arg(chapter));
            QCOMPARE(ClockMs(duration.match(QString::fromUtf8(opf)).captured(1)), last);
        }
        // The voice reports words: each has an element of its own within its sentence.
        const QByteArray page = zip.Read(QStringLiteral("OEBPS/text/chapter-002.xhtml")).value_or(QByteArray());
        QVERIFY2(page.contains("<span id=\"s2\"><span id=\"s2w1\">La</span> <span id=\"s2w2\">guineu</span>"),
                 page.constData());
        // The second chapter: its heading and three sentences, each a clip.
        QCOMPARE(ClipsOf(zip.Read(QStringLiteral("OEBPS/smil/chapter-002.smil")).value_or(QByteArray())).size(), 5);
    }

    void eachSentenceIsHeardWhereItsSubtitleCueIs()
    {
        const QString document = Document(QStringLiteral("escola.txt"), kParagraphs);
        const SoundTools::Ran book = Tool({QStringLiteral("export-epub"), QStringLiteral("--voice"),
                                           QStringLiteral("ca"), document});
        QVERIFY2(book.ok, qPrintable(book.err));
        const SoundTools::Ran mp3 = Tool({QStringLiteral("export-mp3"), QStringLiteral("--voice"), QStringLiteral("ca"),
                                          QStringLiteral("--subtitles"), QStringLiteral("srt"), document});
        QVERIFY2(mp3.ok, qPrintable(mp3.err));
        const QList<qint64> cues = CueStarts(SoundTools::Contents(Records() + QStringLiteral("/escola.srt")));
        ZipArchive zip(Records() + QStringLiteral("/escola.epub"));
        const QList<Clip> clips = ClipsOf(zip.Read(QStringLiteral("OEBPS/smil/chapter-001.smil")).value_or(QByteArray()));
        QCOMPARE(clips.size(), 4);
        QCOMPARE(cues.size(), 4);
        // The first clip takes in the silence before the first word.
        for (int i = 1; i < 4; ++i)
            QVERIFY2(qAbs(clips.at(i).beginMs - cues.at(i)) <= 150,
                     qPrintable(QStringLiteral("sentence %1: %2 ms, cue %3 ms").arg(i).arg(clips.at(i).beginMs)
                                    .arg(cues.at(i))));
    }

    void anAudiobookHasAChapterPerHeading()
    {
        const SoundTools::Ran ran = Tool({QStringLiteral("export-m4b"), QStringLiteral("--voice"), QStringLiteral("ca"),
                                          QStringLiteral("--name"), QStringLiteral("bosc"),
                                          Document(QStringLiteral("animals.txt"), kBook)});
        QVERIFY2(ran.ok, qPrintable(ran.err));
        const QString m4b = Records() + QStringLiteral("/bosc.m4b");
        QCOMPARE(ran.out, m4b);
        const std::optional<QString> probed = SoundTools::Run(
            QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_chapters"),
                                        QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"), m4b});
        QVERIFY(probed);
        const QJsonObject info = QJsonDocument::fromJson(probed->toUtf8()).object();
        const QJsonArray chapters = info.value(QLatin1String("chapters")).toArray();
        QStringList titles;
        double end = 0;
        for (const QJsonValue &chapter : chapters) {
            const QJsonObject c = chapter.toObject();
            titles << c.value(QLatin1String("tags")).toObject().value(QLatin1String("title")).toString();
            // Times with a decimal point whatever the session: read as the C locale reads them.
            const double start = c.value(QLatin1String("start_time")).toString().toDouble();
            QVERIFY2(qAbs(start - end) < 0.01, qPrintable(titles.last()));
            end = c.value(QLatin1String("end_time")).toString().toDouble();
            QVERIFY(end > start);
        }
        QCOMPARE(titles, (QStringList{QStringLiteral("Els animals del bosc"), QStringLiteral("Capítol 1 La guineu"),
                                      QStringLiteral("Capítol 2 El teixó"), QStringLiteral("Unitat 3 Els ocells")}));
        const QJsonObject format = info.value(QLatin1String("format")).toObject();
        // Chapters encoded apart and joined: the marks keep to the sound, the last ending with it.
        QVERIFY2(qAbs(format.value(QLatin1String("duration")).toString().toDouble() - end) < 0.1,
                 qPrintable(format.value(QLatin1String("duration")).toString()));
        QCOMPARE(format.value(QLatin1String("tags")).toObject().value(QLatin1String("title")).toString(),
                 QStringLiteral("Els animals del bosc"));
    }

    void badInputsMakeNoBookAndKeepTheOlderOne()
    {
        // An empty document is refused.
        const SoundTools::Ran empty = Tool({QStringLiteral("export-epub"), QStringLiteral("--voice"),
                                            QStringLiteral("ca"), Document(QStringLiteral("buit.txt"), "\n \n\t\n")});
        QVERIFY(!empty.ok);
        QVERIFY2(empty.err.contains(QLatin1String("no text")), qPrintable(empty.err));
        QVERIFY(!QFile::exists(Records() + QStringLiteral("/buit.epub")));

        // Without ffmpeg the audiobook names the package, before any recording.
        const QString document = Document(QStringLiteral("vell.txt"), kParagraphs);
        const QString older = Records() + QStringLiteral("/vell.m4b");
        QVERIFY(SoundTools::Write(older, "older audiobook"));
        const SoundTools::Ran noFfmpeg = Tool({QStringLiteral("export-m4b"), QStringLiteral("--voice"),
                                               QStringLiteral("ca"), document}, m_dir.filePath(QStringLiteral("none")));
        QVERIFY(!noFfmpeg.ok);
        QVERIFY2(noFfmpeg.err.contains(QLatin1String("install the package ffmpeg")), qPrintable(noFfmpeg.err));
        QCOMPARE(SoundTools::Contents(older), QByteArray("older audiobook"));

        // A chapter that cannot be encoded (no lame) ends the book: the older one stays whole.
        const QString olderBook = Records() + QStringLiteral("/vell.epub");
        QVERIFY(SoundTools::Write(olderBook, "older book"));
        const SoundTools::Ran noLame = Tool({QStringLiteral("export-epub"), QStringLiteral("--voice"),
                                             QStringLiteral("ca"), document}, m_dir.filePath(QStringLiteral("none")));
        QVERIFY(!noLame.ok);
        QVERIFY2(noLame.err.contains(QLatin1String("lame")), qPrintable(noLame.err));
        QCOMPARE(SoundTools::Contents(olderBook), QByteArray("older book"));
        QStringList left = Leftovers({QStringLiteral("vell.epub"), QStringLiteral("vell.m4b")});
        left.removeIf([](const QString &name) { return !name.startsWith(QLatin1Char('.')); });
        QCOMPARE(left, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestBookEndToEnd)
#include "test_book_endtoend.moc"
