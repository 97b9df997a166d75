#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/FaultyFiles.h"

// tolvanet-tool as a teacher's script meets it: a program, its output and its status.
class TestTolvanetTool : public QObject
{
    Q_OBJECT

    struct Result
    {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    static Result Run(const QStringList &arguments, const QByteArray &input = QByteArray(),
                      const QString &inputFile = QString())
    {
        QProcess process;
        if (!inputFile.isEmpty())
            process.setStandardInputFile(inputFile);
        process.start(QCoreApplication::applicationDirPath() + "/tolvanet-tool", arguments);
        if (inputFile.isEmpty()) {
            process.write(input);
            process.closeWriteChannel();
        }
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

private slots:
    void listsTheCommandIds()
    {
        const Result result = Run({"list"});
        QCOMPARE(result.status, 0);
        const QList<QByteArray> ids = result.out.split('\n');
        for (const char *id : {"music-to-musicxml", "blackboard-to-html5", "benchmark"})
            QVERIFY2(ids.contains(id), id);
        QVERIFY(!ids.contains("open"));
        QCOMPARE(Run({"--help"}).status, 0);
    }

    void runsACommandOnStandardInputAndOnAFile()
    {
        const QByteArray tune = "Cançó\n4x4\ndo\tn\nre\tn\nmi\tb\n";
        const Result fromInput = Run({"music-to-musicxml"}, tune);
        QCOMPARE(fromInput.status, 0);
        QVERIFY(fromInput.out.startsWith(tune));
        QVERIFY(fromInput.out.contains("<score-partwise"));
        QVERIFY(fromInput.out.contains("Can\xC3\xA7\xC3\xB3"));

        // The same tune in Windows-1252 with CR LF: read as the editor reads it, written as UTF-8.
        QTemporaryDir dir;
        QFile file(dir.filePath("tune.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Can\xE7\xF3\r\n4x4\r\ndo\tn\r\nre\tn\r\nmi\tb\r\n");
        file.close();
        const Result fromFile = Run({"music-to-musicxml", file.fileName()});
        QCOMPARE(fromFile.status, 0);
        QCOMPARE(fromFile.out, fromInput.out);
    }

    void aMessageBoxBecomesStandardErrorAndStatusTwo()
    {
        const Result result = Run({"blackboard-to-html5"}, "12abc\n1\n2\n");
        QCOMPARE(result.status, 2);
        QCOMPARE(result.out, QByteArray());
        QVERIFY(result.err.contains("'12abc' is not a valid integer value"));
    }

    void specialFilesGetAMessageNotAHangOrAnAbort_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("asInput");
        QTest::addColumn<QByteArray>("why");
        QTest::newRow("endless device") << "/dev/zero" << false << QByteArray("dispositiu");
        QTest::newRow("FIFO without a writer") << "fifo" << false << QByteArray("FIFO");
        QTest::newRow("folder") << "folder" << false << QByteArray("carpeta");
        QTest::newRow("larger than the program holds") << "huge.txt" << false << QByteArray("massa gran");
        QTest::newRow("endless standard input") << "/dev/zero" << true << QByteArray("massa gran");
    }
    void specialFilesGetAMessageNotAHangOrAnAbort()
    {
        QFETCH(QString, file);
        QFETCH(bool, asInput);
        QFETCH(QByteArray, why);
        QTemporaryDir dir;
        if (!file.startsWith('/')) {
            file = dir.filePath(file);
            if (file.endsWith("fifo"))
                QVERIFY(MakeSpecialFile(file, SpecialFile::Fifo));
            else if (file.endsWith("folder"))
                QVERIFY(MakeSpecialFile(file, SpecialFile::Folder));
            else
                QVERIFY(MakeSpecialFile(file, SpecialFile::Sparse, qint64(1) << 32));
        }
        const Result result = asInput ? Run({"calc"}, QByteArray(), file) : Run({"calc", file});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains(why), result.err.constData());
        if (!asInput)
            QVERIFY(result.err.contains(QFile::encodeName(file)));
    }

    // The character conversions read a file and write it piece by piece; what comes out is
    // what the whole-document run (which --line asks for) writes.
    void aLargeDocumentComesOutAsTheWholeDocumentRun()
    {
        QByteArray bytes;
        while (bytes.size() < 300000)
            bytes += "\xBFQu\xE8 \xE9s aix\xF2? Ni\xF1o \x80\r\n\r";
        QTemporaryDir dir;
        QFile file(dir.filePath("document.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        for (const char *id : {"accents-to-html", "accents-to-unicode"}) {
            const Result streamed = Run({id, file.fileName()});
            const Result whole = Run({id, "--line", "0"}, QByteArray(), file.fileName());
            QCOMPARE(streamed.status, 0);
            QCOMPARE(whole.status, 0);
            QVERIFY(streamed.out.size() > bytes.size());
            QVERIFY(streamed.out == whole.out);
        }
        QCOMPARE(Run({"accents-to-html", dir.filePath("missing.txt")}).status, 1);
        const Result folder = Run({"accents-to-html", dir.path()});
        QCOMPARE(folder.status, 1);
        QVERIFY(folder.err.contains("carpeta"));
    }

    void refusesWhatItCannotDo()
    {
        QCOMPARE(Run({"no-such-command"}, "x").status, 1);
        QCOMPARE(Run({"music-to-musicxml", "/no/such/file.txt"}).status, 1);
        QCOMPARE(Run({"music-to-musicxml", "--line"}, "x").status, 1);
    }
};

QTEST_GUILESS_MAIN(TestTolvanetTool)
#include "test_tolvanettool.moc"
