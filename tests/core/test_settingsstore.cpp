#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "core/TextEncoding.h"
#include "core/WholeFiles.h"
#include "tests/common/FaultyFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    static void WriteBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray ReadBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void readsGiveDefaultsWhenFileSectionOrKeyIsMissing()
    {
        SettingsStore missing(Path("none.ini"));
        QCOMPARE(missing.ReadString("tts", "velocitat", "0"), QString("0"));
        WriteBytes(Path("a.ini"), "[tts]\r\nvelocitat=3\r\n");
        SettingsStore store(Path("a.ini"));
        QCOMPARE(store.ReadString("tts", "velocitat", "0"), QString("3"));
        QCOMPARE(store.ReadString("tts", "other", "x"), QString("x"));
        QCOMPARE(store.ReadString("TTS to Wav", "velocitat", "d"), QString("d"));
    }

    void namesMatchWithoutRegardToCaseAndBlanksAroundValuesAreDropped()
    {
        WriteBytes(Path("b.ini"), "[LlibreriaLlegir]\nLLEGIR LLETRES =   SI  \n");
        SettingsStore store(Path("b.ini"));
        QCOMPARE(store.ReadString("llibreriallegir", "llegir lletres", "NO"), QString("SI"));
        QVERIFY(store.WriteString("LLIBRERIALLEGIR", "Llegir Lletres", "NO"));
        QCOMPARE(store.ReadString("LlibreriaLlegir", "LLEGIR LLETRES", "SI"), QString("NO"));
        // One entry, not two: the existing key was rewritten.
        QCOMPARE(ReadBytes(Path("b.ini")).count("LLEGIR LLETRES"), 1);
    }

    void yesAndNoCompareExactly_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("SI") << "SI" << false << true;
        QTest::newRow("lower si keeps default") << "si" << false << false;
        QTest::newRow("lower no keeps default") << "no" << true << true;
        QTest::newRow("NO") << "NO" << true << false;
    }
    void yesAndNoCompareExactly()
    {
        QFETCH(QString, stored);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        SettingsStore store(Path("yes.ini"));
        QVERIFY(store.WriteString("s", "k", stored));
        QCOMPARE(store.ReadYes("s", "k", defaultValue), expected);
    }

    void writesReachTheFileAtOnceAndAnotherReaderSeesThem()
    {
        SettingsStore writer(Path("c.ini"));
        SettingsStore reader(Path("c.ini"));
        QCOMPARE(reader.ReadString("tts", "ESTIC LLEGINT", "none"), QString("none"));
        QVERIFY(writer.WriteString("tts", "ESTIC LLEGINT", "1"));
        QCOMPARE(reader.ReadString("tts", "ESTIC LLEGINT", "none"), QString("1"));
        QVERIFY(writer.WriteString("tts", "ESTIC LLEGINT", "0"));
        QCOMPARE(reader.ReadString("tts", "ESTIC LLEGINT", "none"), QString("0"));
        QVERIFY(reader.WriteString("tts to Wav", "STATUS", "5"));
        QCOMPARE(writer.ReadString("tts to wav", "status", ""), QString("5"));
        // Written through a temporary file renamed over the old one: nothing is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList({"c.ini*"}, QDir::Files), QStringList{"c.ini"});
    }

    void newKeysGoToTheEndOfTheirSection()
    {
        WriteBytes(Path("d.ini"), "[one]\r\na=1\r\n\r\n[two]\r\nb=2\r\n");
        SettingsStore store(Path("d.ini"));
        QVERIFY(store.WriteString("one", "c", "3"));
        QCOMPARE(ReadBytes(Path("d.ini")), QByteArray("[one]\r\na=1\r\nc=3\r\n\r\n[two]\r\nb=2\r\n"));
    }

    void theFirstSectionAndKeyOfANameAreTheOnesReadAndWritten()
    {
        WriteBytes(Path("dup.ini"), "x=0\r\n[tts]\r\nvelocitat=1\r\nVELOCITAT=2\r\n[other]\r\nvelocitat=9\r\n"
                                    "[TTS]\r\nvelocitat=3\r\nnou=4\r\n");
        SettingsStore store(Path("dup.ini"));
        QCOMPARE(store.ReadString("Tts", "Velocitat", "d"), QString("1"));
        QCOMPARE(store.ReadString("tts", "nou", "d"), QString("d"));  // only in the repeated section
        QCOMPARE(store.ReadString("tts", "x", "d"), QString("d"));    // before any section
        QVERIFY(store.WriteString("tts", "nou", "5"));
        QCOMPARE(ReadBytes(Path("dup.ini")), QByteArray("x=0\r\n[tts]\r\nvelocitat=1\r\nVELOCITAT=2\r\nnou=5\r\n"
                                                        "[other]\r\nvelocitat=9\r\n[TTS]\r\nvelocitat=3\r\nnou=4\r\n"));
        // The lines after the new one moved: they are still found.
        QCOMPARE(store.ReadString("OTHER", "velocitat", "d"), QString("9"));
        QVERIFY(store.WriteString("other", "VELOCITAT", "8"));
        QCOMPARE(SettingsStore(Path("dup.ini")).ReadString("other", "velocitat", "d"), QString("8"));
    }

    // A folder or file name holding a line break: it would end the value and start a key.
    void aValueHoldingALineBreakIsRefusedAndCreatesNoKey_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("LF starting a key") << QStringLiteral("/home/prog\nWAV DIR=/etc/");
        QTest::newRow("CR LF") << QStringLiteral("C:\\dic\r\ncionari.txt");
        QTest::newRow("lone CR") << QStringLiteral("dic\rWAV=x.wav");
        QTest::newRow("a section after it") << QStringLiteral("x\n[Sonnerix]\nWAV DIR=/tmp/");
    }
    void aValueHoldingALineBreakIsRefusedAndCreatesNoKey()
    {
        QFETCH(QString, value);
        const QByteArray before = "[Sonnerix]\r\nWAV DIR=/home/u/records/\r\n";
        WriteBytes(Path("exchange.ini"), before);
        SettingsStore store(Path("exchange.ini"));
        QVERIFY(!store.WriteString("Sonnerix", "WAV DIR", value));
        QVERIFY(!store.WriteString("Sonnerix", "Diccionari", value));
        QVERIFY2(store.LastError().startsWith(QString("Unable to write to %1").arg(Path("exchange.ini")))
                     && store.LastError().contains("Diccionari"),
                 qPrintable(store.LastError()));
        QCOMPARE(ReadBytes(Path("exchange.ini")), before);
        QCOMPARE(store.ReadString("Sonnerix", "WAV DIR", "d"), QString("/home/u/records/"));
        // A value without a break is written as before.
        QVERIFY(store.WriteString("Sonnerix", "WAV DIR", value.split(QRegularExpression("[\r\n]")).first()));
    }

    void valuesAreCutAt2047CharactersOnRead()
    {
        SettingsStore store(Path("e.ini"));
        const QString longValue(3000, QLatin1Char('x'));
        QVERIFY(store.WriteString("s", "k", longValue));
        QCOMPARE(store.ReadString("s", "k", "").size(), 2047);
        QCOMPARE(store.ReadLongString("s", "k", "").size(), 3000);
    }

    void filesAreWindows1252UnlessAValueNeedsUtf8()
    {
        SettingsStore store(Path("f.ini"));
        QVERIFY(store.WriteString("Font Missatge", "Itàlica", "SI"));
        QCOMPARE(ReadBytes(Path("f.ini")), QByteArray("[Font Missatge]\r\nIt\xE0lica=SI\r\n"));
        QCOMPARE(store.ReadString("Font Missatge", "Itàlica", "0"), QString("SI"));
        QVERIFY(store.WriteString("s", "greek", QString::fromUtf8("αβγ")));
        QVERIFY(TextEncoding::IsValidUtf8(ReadBytes(Path("f.ini"))));
        SettingsStore again(Path("f.ini"));
        QCOMPARE(again.ReadString("s", "greek", ""), QString::fromUtf8("αβγ"));
        QCOMPARE(again.ReadString("Font Missatge", "Itàlica", "0"), QString("SI"));
    }

    void aRefusedWriteSaysUnableToWrite()
    {
        if (::geteuid() == 0)
            QSKIP("running as root: a read-only folder does not refuse writes");
        QTemporaryDir locked;
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString path = locked.filePath("x.ini");
        SettingsStore store(path);
        QVERIFY(!store.WriteString("s", "k", "v"));
        QCOMPARE(store.LastError(), QString("Unable to write to %1").arg(path));
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void aWriteIntoAMissingFolderSaysUnableToWrite()
    {
        const QString path = Path("no/such/folder/x.ini");
        SettingsStore store(path);
        QVERIFY(!store.WriteString("s", "k", "v"));
        QCOMPARE(store.LastError(), QString("Unable to write to %1").arg(path));
        QCOMPARE(store.ReadString("s", "k", "d"), QString("d"));
    }

    void damagedFilesReadWithoutTrouble_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray("[tts]\r\nveloc");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02\n]]]=\x00", 14);
        QTest::newRow("no section") << QByteArray("velocitat=5\n");
        QTest::newRow("unclosed section") << QByteArray("[tts\nvelocitat=5\n");
    }
    void damagedFilesReadWithoutTrouble()
    {
        QFETCH(QByteArray, bytes);
        WriteBytes(Path("g.ini"), bytes);
        SettingsStore store(Path("g.ini"));
        QCOMPARE(store.ReadString("tts", "velocitat", "0"), QString("0"));
        QVERIFY(store.WriteString("tts", "velocitat", "2"));
        QCOMPARE(store.ReadString("tts", "velocitat", "0"), QString("2"));
    }

    void aFullDiskLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("small value") << 2;
        QTest::newRow("large value") << 100000;
    }
    void aFullDiskLeavesTheFileAsItWas()
    {
        QFETCH(int, length);
        SmallDisk disk(Path("small"));
        if (!disk.Mounted())
            QSKIP("needs root to mount a small file system");
        const QString path = disk.FilePath("tolvanet.ini");
        WriteBytes(path, "[tts]\r\nvelocitat=3\r\n");
        disk.Fill();
        SettingsStore store(path);
        QVERIFY(!store.WriteString("tts", "velocitat", QString(length, QLatin1Char('7'))));
        QCOMPARE(store.LastError(), QString("Unable to write to %1").arg(path));
        QCOMPARE(ReadBytes(path), QByteArray("[tts]\r\nvelocitat=3\r\n"));
        QCOMPARE(SettingsStore(path).ReadString("tts", "velocitat", "0"), QString("3"));
    }

    void specialOrUnreadableFilesReadAsDefaultsAndAreNeverReplaced_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("too large") << "huge";
    }
    void specialOrUnreadableFilesReadAsDefaultsAndAreNeverReplaced()
    {
        QFETCH(QString, kind);
        const QString path = Path(kind + ".ini");
        if (kind == "fifo")
            QVERIFY(MakeSpecialFile(path, SpecialFile::Fifo));
        else if (kind == "folder")
            QVERIFY(MakeSpecialFile(path, SpecialFile::Folder));
        else
            QVERIFY(MakeSpecialFile(path, SpecialFile::Sparse, WholeFiles::kLargestFile + 1));
        const QFileInfo before(path);
        SettingsStore store(path);
        QCOMPARE(store.ReadString("tts", "velocitat", "0"), QString("0"));
        QVERIFY(!store.WriteString("tts", "velocitat", "2"));
        const QFileInfo after(path);
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.isFile(), before.isFile());
    }

    void strictNumbers()
    {
        QCOMPARE(ToInteger("12"), std::optional<int>(12));
        QCOMPARE(ToInteger("-1"), std::optional<int>(-1));
        QVERIFY(!ToInteger("12abc"));
        QVERIFY(!ToInteger(""));
        QVERIFY(!ToInteger("99999999999"));
    }

    // A portable copy keeps its files beside the program; a copy in the system's tree
    // never does, also for the administrator who may write there (a package's files
    // would be left behind by its removal).
    void onlyAPortableCopyKeepsItsFilesBesideTheProgram()
    {
        // The user's own folders stay untouched.
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir portable;
        const AppPaths beside = AppPaths::ForProgramDir(portable.path());
        QCOMPARE(beside.settingsFile, QDir(portable.path()).filePath("tolvanet.ini"));
        QCOMPARE(beside.recordsDir, QDir(portable.path()).filePath("records/"));

        const AppPaths installed = AppPaths::ForProgramDir("/usr/libexec/tolvanet");
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(installed.settingsFile, config + "/tolvanet/tolvanet.ini");
        QCOMPARE(installed.exchangeFile, config + "/tolvanet/sonnerix.ini");
        QVERIFY(!installed.recordsDir.startsWith("/usr/"));
        QCOMPARE(installed.programDir, QString("/usr/libexec/tolvanet/"));
    }
};

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
