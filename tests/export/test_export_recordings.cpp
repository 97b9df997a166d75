#include "tests/common/SoundTools.h"

#include <QDBusConnection>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace SoundTools;

// Recordings made by tolvanet-tool, as a user runs it, in a program folder of their own:
// the subtitles beside several recordings of one name, and the sentences they are cut in.
class TestExportRecordings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_records;

    // Exports `text` under `name` with espeak-ng's Catalan voice.
    void Export(const QString &verb, const QString &name, const QString &text)
    {
        const QString document = m_dir.filePath(QStringLiteral("document.txt"));
        QVERIFY(Write(document, text.toUtf8()));
        const Ran ran = RunProgram(m_dir.filePath(QStringLiteral("tolvanet-tool")),
                                   {verb, QStringLiteral("--voice"), QStringLiteral("ca"), QStringLiteral("--name"), name,
                                    document});
        QVERIFY2(ran.ok, qPrintable(ran.err));
    }
    QByteArray Records(const QString &file) const { return Contents(m_records + file); }
    // The cues of a SubRip file, each its text on one line.
    QStringList Cues(const QString &file) const
    {
        QStringList cues;
        for (const QString &block : QString::fromUtf8(Records(file)).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts))
            cues << block.section(u'\n', 2).replace(u'\n', u' ');
        return cues;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no D-Bus session bus for the rendering program's window");
        for (const char *tool : {"soxi", "lame"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
        for (const char *program : {"SonnerixaWav", "tolvanet-tool"})
            QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program),
                                m_dir.filePath(QString::fromLatin1(program))));
        m_records = m_dir.filePath(QStringLiteral("records")) + QLatin1Char('/');
    }

    // An MP3 then a WAV under one name: the MP3 keeps the subtitles timed for it under its
    // own full name, the WAV has the plain ones; a new MP3 takes the plain ones back and
    // its older full-name ones, no longer its timing, go.
    void anOlderRecordingOfAnotherKindKeepsItsSubtitles()
    {
        Export(QStringLiteral("export-mp3"), QStringLiteral("conte"), QStringLiteral("Hola. Bon dia a tothom."));
        const QByteArray mp3Srt = Records(QStringLiteral("conte.srt"));
        const QByteArray mp3Lrc = Records(QStringLiteral("conte.lrc"));
        QVERIFY(!mp3Srt.isEmpty() && !mp3Lrc.isEmpty());

        Export(QStringLiteral("export-wav"), QStringLiteral("conte"),
               QStringLiteral("Una altra història, molt més llarga que la primera, per a la classe de demà."));
        QCOMPARE(Records(QStringLiteral("conte.mp3.srt")), mp3Srt);
        QCOMPARE(Records(QStringLiteral("conte.mp3.lrc")), mp3Lrc);
        const QByteArray wavSrt = Records(QStringLiteral("conte.srt"));
        QVERIFY(wavSrt.contains("història") && !wavSrt.contains("tothom"));

        Export(QStringLiteral("export-mp3"), QStringLiteral("conte"), QStringLiteral("Adéu a tothom."));
        QCOMPARE(Records(QStringLiteral("conte.wav.srt")), wavSrt);
        QVERIFY(Records(QStringLiteral("conte.srt")).contains("Adéu"));
        QVERIFY(!QFile::exists(m_records + QStringLiteral("conte.mp3.srt")));
        QVERIFY(!QFile::exists(m_records + QStringLiteral("conte.mp3.lrc")));
    }

    // A full stop after an abbreviation or an initial ends no cue and makes no pause: the
    // recording is as long as without it.
    void abbreviationsEndNoCueAndNoPause()
    {
        Export(QStringLiteral("export-wav"), QStringLiteral("sr"),
               QStringLiteral("El Sr. Puig llegeix a la pàg. 12 del llibre de J. Verdaguer. Després marxa."));
        QCOMPARE(Cues(QStringLiteral("sr.srt")),
                 (QStringList{QStringLiteral("El Sr. Puig llegeix a la pàg. 12 del llibre de J. Verdaguer."),
                              QStringLiteral("Després marxa.")}));
        Export(QStringLiteral("export-wav"), QStringLiteral("sense"),
               QStringLiteral("El Sr Puig llegeix a la pàg 12 del llibre de J Verdaguer. Després marxa."));
        const double with = Seconds(m_records + QStringLiteral("sr.wav"));
        const double without = Seconds(m_records + QStringLiteral("sense.wav"));
        QVERIFY2(with > 1.0 && qAbs(with - without) < 0.05, qPrintable(QStringLiteral("%1 s against %2 s").arg(with).arg(without)));
    }
};

QTEST_GUILESS_MAIN(TestExportRecordings)
#include "test_export_recordings.moc"
