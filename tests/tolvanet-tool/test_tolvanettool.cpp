#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/common/FaultyFiles.h"

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
                      const QString &inputFile = QString(), const QString &program = QString())
    {
        QProcess process;
        if (!inputFile.isEmpty())
            process.setStandardInputFile(inputFile);
        process.start(program.isEmpty() ? QCoreApplication::applicationDirPath() + "/tolvanet-tool" : program,
                      arguments);
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
        for (const char *id : {"music-to-musicxml", "blackboard-to-html5", "benchmark", "print", "export-mp3"})
            QVERIFY2(ids.contains(id), id);
        QVERIFY(!ids.contains("open"));
        QCOMPARE(Run({"--help"}).status, 0);
        const Result version = Run({"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QByteArray("tolvanet-tool 26\n"));
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

    // Input a converter cannot turn into valid output is told, never written out half-broken.
    void brokenInputIsToldNotConverted_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("told");
        QTest::newRow("negative point count") << "blackboard-to-html5" << QByteArray("-3\n") << 2
                                              << QByteArray("negatiu a la pissarra: -3");
        const QByteArray measure = "\tComp\xC3\xA0s no correcte";
        QTest::newRow("two end compas") << "music-to-musicxml"
                                        << QByteArray("t\n4x4\ndo\tn\nend compas\nend compas\nre\tn\n") << 0
                                        << QByteArray("end compas\nend compas" + measure);
        QTest::newRow("begin compas never closed") << "music-to-musicxml"
                                                   << QByteArray("t\n4x4\ndo\tn\nbegin compas\nre\tn\n") << 0
                                                   << QByteArray("begin compas" + measure);
        QTest::newRow("octave digit 9") << "music-to-musicxml" << QByteArray("t\n4x4\ndo9\tn\n") << 0
                                        << QByteArray("do9\tn\tNota no correcta");
    }
    void brokenInputIsToldNotConverted()
    {
        QFETCH(QString, verb);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QByteArray, told);
        const Result result = Run({verb}, input);
        QCOMPARE(result.status, status);
        QVERIFY2((status == 0 ? result.out : result.err).contains(told), (result.out + result.err).constData());
        QVERIFY(!result.out.contains("<script") && !result.out.contains("<?xml"));
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
        QCOMPARE(Run({"no-such-command"}, "x").status, 2);
        QCOMPARE(Run({"music-to-musicxml", "/no/such/file.txt"}).status, 1);
        QCOMPARE(Run({}).status, 2);
    }

    // Every verb is described by --help, and bad usage names the verb and the argument.
    void everyVerbAnswersHelpAndNamesWrongArguments_data()
    {
        QTest::addColumn<QStringList>("wrong");
        QTest::addColumn<QByteArray>("named");
        QTest::newRow("music-to-musicxml") << QStringList{"music-to-musicxml", "--colour"} << QByteArray("colour");
        QTest::newRow("calc") << QStringList{"calc", "--line", "x"} << QByteArray("x");
        QTest::newRow("list") << QStringList{"list", "extra"} << QByteArray("extra");
        QTest::newRow("voices") << QStringList{"voices", "--rate", "2"} << QByteArray("rate");
        QTest::newRow("say") << QStringList{"say", "--rate", "fast", "hola"} << QByteArray("fast");
        QTest::newRow("export-wav") << QStringList{"export-wav", "--help2"} << QByteArray("help2");
        QTest::newRow("export-mp3") << QStringList{"export-mp3", "a.txt", "b.txt"} << QByteArray("b.txt");
        QTest::newRow("print") << QStringList{"print", "--pdf"} << QByteArray("pdf");
        QTest::newRow("syllables") << QStringList{"syllables", "--language"} << QByteArray("language");
        QTest::newRow("languages") << QStringList{"languages", "a.txt", "b.txt"} << QByteArray("FILE");
    }
    void everyVerbAnswersHelpAndNamesWrongArguments()
    {
        QFETCH(QStringList, wrong);
        QFETCH(QByteArray, named);
        const QByteArray verb = wrong.first().toUtf8();
        const Result help = Run({wrong.first(), "--help"});
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.startsWith("Usage: tolvanet-tool " + verb), help.out.constData());
        const Result version = Run({wrong.first(), "--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QByteArray("tolvanet-tool 26\n"));
        const Result bad = Run(wrong, "x");
        QCOMPARE(bad.status, 2);
        QCOMPARE(bad.out, QByteArray());
        // One line says it (Qt may warn about the session before it).
        bool told = false;
        for (const QByteArray &line : bad.err.split('\n'))
            told = told || (line.startsWith("tolvanet-tool " + verb + ": ") && line.contains(named));
        QVERIFY2(told, bad.err.constData());
    }

    // Each paragraph with words gets its line, its language and the voice of that language;
    // a heading keeps the language after it, digits alone are no paragraph.
    void languagesTellsEachParagraph()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("classe.txt");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("Deures\n\n"
                  "Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar i ens ha agradat molt.\n"
                  "Hoy en clase hemos leído un cuento sobre un niño que vivía junto al mar y nos ha gustado mucho.\n"
                  "12 + 30 = 42\n"
                  "Hoxe na clase lemos un conto sobre un neno que vivía á beira do mar e gustounos moito.\n");
        out.close();
        const Result result = Run({"languages", file});
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.endsWith('\n'));
        const QList<QByteArray> lines = result.out.chopped(1).split('\n');
        QCOMPARE(lines.size(), 4);
        const QByteArray expected[][2] = {{"1", "ca"}, {"3", "ca"}, {"4", "es"}, {"6", "gl"}};
        for (int i = 0; i < 4; ++i) {
            const QList<QByteArray> fields = lines.at(i).split('\t');
            QCOMPARE(fields.size(), 3);
            QCOMPARE(fields.at(0), expected[i][0]);
            QCOMPARE(fields.at(1), expected[i][1]);
        }
        // espeak-ng speaks Catalan and Spanish: each has a voice of its own.
        QVERIFY(!lines.at(1).split('\t').at(2).isEmpty());
        QVERIFY(lines.at(1).split('\t').at(2) != lines.at(2).split('\t').at(2));
        QCOMPARE(Run({"languages", dir.filePath("missing.txt")}).status, 2);
        QFile shortFile(dir.filePath("curt.txt"));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("Hola.\n");
        shortFile.close();
        const Result shortOne = Run({"languages", shortFile.fileName()});
        QCOMPARE(shortOne.out, QByteArray("1\tund\t\n"));
    }

    // The old PDF stays whole unless the new one is: a full disk, or a target that is no file.
    void printNeverLeavesAHalfWrittenPdf()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("pipe.pdf");
        QVERIFY(MakeSpecialFile(fifo, SpecialFile::Fifo));
        Result result = Run({"print", "--pdf", fifo}, "Fila1\n");
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("not a regular file"), result.err.constData());

        SmallDisk disk(dir.filePath("small"), QStringLiteral("20k"));
        if (!disk.Mounted())
            QSKIP("needs root to mount a small file system");
        const QString pdf = disk.FilePath("carta.pdf");
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("%PDF-1.4 the old letter\n%%EOF\n");
        old.close();
        disk.Fill();
        result = Run({"print", "--pdf", pdf}, "Fila1\nFila2\n");
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("el disc \xC3\xA9s ple"), result.err.constData());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("%PDF-1.4 the old letter\n%%EOF\n"));
        QCOMPARE(QDir(dir.filePath("small")).entryList(QDir::Files | QDir::Hidden), (QStringList{"carta.pdf", "filler"}));
    }

    // A batch of handouts: the same pages as the editor prints, in the stored font.
    void printWritesAPdfInTheStoredFont()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext is missing: scripts/install-deps.sh installs poppler-utils");
        QTemporaryDir dir;
        QFile document(dir.filePath("full.txt"));
        QVERIFY(document.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 120; ++i)
            document.write("Fila" + QByteArray::number(i) + " del full\n");
        document.close();
        const auto lineHeights = [&](const QString &pdf) {
            QProcess pdftotext;
            pdftotext.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
            pdftotext.waitForFinished(60000);
            static const QRegularExpression word(
                "yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">Fila");
            QList<double> heights;
            for (const QRegularExpressionMatch &m : word.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput())))
                heights << m.captured(2).toDouble() - m.captured(1).toDouble();
            return heights;
        };
        const QString pdf = dir.filePath("full.pdf");
        Result result = Run({"print", "--pdf", pdf, document.fileName()});
        QVERIFY2(result.status == 0, result.err.constData());
        QList<double> heights = lineHeights(pdf);
        QVERIFY2(heights.size() >= 35 && heights.size() <= 75, qPrintable(QString::number(heights.size())));
        QVERIFY2(heights.first() > 7 && heights.first() < 14, qPrintable(QString::number(heights.first())));

        // A copy of the program reads the settings file beside it: a font twice as large.
        const QString program = dir.filePath("tolvanet-tool");
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/tolvanet-tool", program));
        QFile ini(dir.filePath("tolvanet.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Font Missatge]\r\nHiHaFontMissatge=SI\r\nName=DejaVu Sans Mono\r\nSize=20\r\n");
        ini.close();
        result = Run({"print", "--pdf", pdf}, QByteArray("Fila1\nFila2\n"), QString(), program);
        const QList<double> large = lineHeights(pdf);
        QCOMPARE(result.status, 0);
        QCOMPARE(large.size(), 2);
        QVERIFY2(large.first() > heights.first() * 1.6, qPrintable(QString::number(large.first())));
    }

    // The man page and the overall --help are written by hand: every verb that tolvanet-tool
    // lists, and every option its own --help takes, must stand in both synopses.
    void theManPageAndHelpNameEveryVerbAndOption()
    {
        QFile page(qEnvironmentVariable("TOLVANET_SOURCE_DIR") + "/tolvanet-tool/tolvanet-tool.1");
        QVERIFY(page.open(QIODevice::ReadOnly));
        QString man = QString::fromUtf8(page.readAll()).replace(QLatin1String("\\-"), QLatin1String("-"));
        const qsizetype synopsisStart = man.indexOf(QLatin1String(".SH SYNOPSIS"));
        const qsizetype synopsisEnd = man.indexOf(QLatin1String(".SH DESCRIPTION"));
        QVERIFY(synopsisStart >= 0 && synopsisEnd > synopsisStart);
        const QString synopsis = man.mid(synopsisStart, synopsisEnd - synopsisStart);
        const QString help = QString::fromUtf8(Run({"--help"}).out);

        const QRegularExpression option(QStringLiteral("(--[a-z][a-z-]*)"));
        const QRegularExpression word(QStringLiteral("(?<![\\w-])%1(?![\\w-])"));
        auto names = [&](const QString &text, const QString &name) {
            return text.contains(QRegularExpression(word.pattern().arg(QRegularExpression::escape(name))));
        };
        const Result list = Run({"list"});
        QCOMPARE(list.status, 0);
        for (const QByteArray &id : list.out.trimmed().split('\n')) {
            const QString verb = QString::fromUtf8(id);
            const Result verbHelp = Run({verb, "--help"});
            QCOMPARE(verbHelp.status, 0);
            const QString text = QString::fromUtf8(verbHelp.out);
            if (!text.contains(QLatin1String("Runs the text command"))) {
                QVERIFY2(names(synopsis, verb), qPrintable("man page synopsis lacks " + verb));
                QVERIFY2(names(help, verb), qPrintable("--help lacks " + verb));
                QVERIFY2(man.contains(QRegularExpression("\\.SS [^\\n]*" + QRegularExpression::escape(verb))),
                         qPrintable("man page describes no " + verb));
            }
            const QString options = text.mid(text.indexOf(QLatin1String("Options:")));
            for (const QRegularExpressionMatch &match : option.globalMatch(options)) {
                const QString name = match.captured(1);
                if (name == QLatin1String("--help") || name == QLatin1String("--version"))
                    continue;
                QVERIFY2(names(synopsis, name), qPrintable("man page synopsis lacks " + verb + " " + name));
                QVERIFY2(names(help, name), qPrintable("--help lacks " + verb + " " + name));
            }
        }
    }

    // The teacher's word sheet: the text as it is, its words parted into syllables.
    void syllablesPartTheWordsOfADocument()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("fitxa.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("La paella del col·legi, 3 cops.\nEl perro come queso.\n");
        file.close();
        Result result = Run({"syllables", "--language", "ca", file.fileName()});
        QCOMPARE(result.status, 0);
        QCOMPARE(QString::fromUtf8(result.out),
                 QStringLiteral("La pa-e-lla del col·le-gi, 3 cops.\nEl per-ro co-me que-so.\n"));
        result = Run({"syllables", "--language", "es", file.fileName()});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.endsWith("El pe-rro co-me que-so.\n"), result.out.constData());

        for (const QStringList &arguments : {QStringList{"syllables", dir.filePath("missing.txt")},
                                             QStringList{"syllables", dir.path()},
                                             QStringList{"syllables", "--language", "xx", file.fileName()}}) {
            result = Run(arguments);
            QCOMPARE(result.status, 2);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.contains("tolvanet-tool syllables: "), result.err.constData());
        }
    }

    // A teacher's batch script over ssh or cron has no session bus: the export makes its own.
    void exportsWithoutASessionBus()
    {
        QTemporaryDir dir;
        QTemporaryDir runtime;
        // A portable copy: the records folder beside it, the renderer and the library too.
        const QString bin = QCoreApplication::applicationDirPath();
        for (const char *name : {"tolvanet-tool", "SonnerixaWav", "libupctv.so"})
            QVERIFY2(QFile::copy(bin + "/" + name, dir.filePath(name)), name);
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        tool.setProcessEnvironment(environment);
        tool.start(dir.filePath("tolvanet-tool"), {"export-wav", "--name", "sense-bus", "--voice", "ca"});
        tool.write("Bon dia a tothom.\n");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(120000));
        const QByteArray err = tool.readAllStandardError();
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0, err.constData());
        const QString wav = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        QVERIFY2(wav.endsWith("sense-bus.wav") && QFileInfo(wav).size() > 1000, qPrintable(wav));
    }
};

QTEST_GUILESS_MAIN(TestTolvanetTool)
#include "test_tolvanettool.moc"
