#include "core/SettingsStore.h"
#include "speech/ExceptionsDictionary.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/common/FaultyFiles.h"

class TestExceptionsDictionary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }
    QString Settings() { return m_dir.filePath(QStringLiteral("tolvanet.ini")); }

private slots:
    void init() { QFile::remove(Settings()); }

    void linesSplitAtTheFirstSeparatorByRank_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("comma") << "casa,house" << "casa" << "house";
        QTest::newRow("blank") << "casa house" << "casa" << "house";
        QTest::newRow("semicolon") << "casa;house" << "casa" << "house";
        QTest::newRow("tab") << "casa\thouse" << "casa" << "house";
        QTest::newRow("blank wins over an earlier comma") << "hola, ola" << "hola," << "ola";
        QTest::newRow("comma without blank") << "hola,ola" << "hola" << "ola";
        QTest::newRow("blanks removed from the replacement") << "ny New York" << "ny" << "NewYork";
        QTest::newRow("leading blanks give no word") << "  casa house" << "" << "";
        QTest::newRow("no separator") << "casa" << "" << "";
        QTest::newRow("tab stays in the replacement") << "a b\tc" << "a" << "b\tc";
    }
    void linesSplitAtTheFirstSeparatorByRank()
    {
        QFETCH(QString, line);
        QFETCH(QString, word);
        QFETCH(QString, replacement);
        const QList<ExceptionEntry> entries = ParseExceptionEntries(line);
        if (word.isEmpty()) {
            QVERIFY(entries.isEmpty());
            return;
        }
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().word, word);
        QCOMPARE(entries.first().replacement, replacement);
    }

    void everyLineEndIsALineEnd()
    {
        const QList<ExceptionEntry> entries = ParseExceptionEntries(QStringLiteral("a 1\r\nb 2\nc 3\rd 4\r\n\r\ne 5"));
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries.at(3).word, QStringLiteral("d"));
        QCOMPARE(entries.at(4).replacement, QStringLiteral("5"));
    }

    void matchIsWholeTextFoldingAsciiOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("first entry wins for both spellings") << "HOLA" << "primer";
        QTest::newRow("exact") << "hola" << "primer";
        QTest::newRow("accented capital does not fold") << "Àvia" << "Àvia";
        QTest::newRow("accented small matches") << "àvia" << "iaia";
        QTest::newRow("word with its following blank") << "casa " << "house";
        QTest::newRow("blanks either side") << "  Casa  " << "house";
        QTest::newRow("word inside a sentence") << "la casa blanca" << "la casa blanca";
        QTest::newRow("empty") << "" << "";
    }
    void matchIsWholeTextFoldingAsciiOnly()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        SettingsStore settings(Settings());
        FormDiccionariExcepcions dictionary(settings, nullptr, m_dir.path());
        dictionary.LoadExceptionsDictionary(Write(QStringLiteral("d.txt"),
            QStringLiteral("Hola primer\nhola segon\nàvia iaia\ncasa house\n").toUtf8()));
        QCOMPARE(dictionary.ApplyExceptionsDictionary(text), result);
        dictionary.SetDictionaryActive(false);
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("casa")), QStringLiteral("casa"));
    }

    void windows1252FilesAreRead()
    {
        SettingsStore settings(Settings());
        FormDiccionariExcepcions dictionary(settings, nullptr, m_dir.path());
        dictionary.LoadExceptionsDictionary(Write(QStringLiteral("w.txt"), QByteArray("\xe0via iaia\r\n")));
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("àvia")), QStringLiteral("iaia"));
    }

    void startAndLoadsWriteTheSettings()
    {
        SettingsStore settings(Settings());
        const QString good = Write(QStringLiteral("good.txt"), "gat gat.wav\n");
        settings.WriteString("FormDiccionariExcepcions", "HiHaDiccionariExcepcions", "SI");
        settings.WriteString("FormDiccionariExcepcions", "NomFitxerDiccionariExcepcions", good);
        FormDiccionariExcepcions dictionary(settings, nullptr, m_dir.path());
        dictionary.FormCreate();
        QVERIFY(dictionary.DictionaryActive());
        QCOMPARE(dictionary.DictionaryFileName(), good);

        // A file without entries: inactive, but the sound folder keeps its file name.
        dictionary.LoadExceptionsDictionary(Write(QStringLiteral("empty.txt"), "nothing\n"));
        QVERIFY(!dictionary.DictionaryActive());
        QCOMPARE(dictionary.DictionaryFileName(), good);
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "HiHaDiccionariExcepcions", ""), QStringLiteral("NO"));
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "NomFitxerDiccionariExcepcions", "x"), QString());

        dictionary.LoadExceptionsDictionary(m_dir.filePath(QStringLiteral("missing.txt")));
        QVERIFY(!dictionary.DictionaryActive());
        QCOMPARE(dictionary.Table().Count(), 0);
    }

    void choosingAsksWithTheDialogAndCancelLeavesItOff()
    {
        SettingsStore settings(Settings());
        ScriptedQuestions questions;
        FormDiccionariExcepcions dictionary(settings, &questions, m_dir.path());
        QVERIFY(!dictionary.ChooseExceptionsDictionary());
        QCOMPARE(questions.openDialogs.first(),
                 QStringLiteral("TOLVANET CORVALIDA - Obrir diccionari d'excepcions|txt (*.txt);;Tot tipus de fitxers (*.*)"));
        QCOMPARE(questions.openProposals.first(), m_dir.path());
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "HiHaDiccionariExcepcions", ""), QStringLiteral("NO"));

        const QString path = Write(QStringLiteral("d.txt"), "a b\n");
        questions.openAnswers << path;
        QVERIFY(dictionary.ChooseExceptionsDictionary());
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "NomFitxerDiccionariExcepcions", ""), path);
        dictionary.ClosingStep();
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "HiHaDiccionariExcepcions", ""), QStringLiteral("SI"));
        dictionary.SetDictionaryActive(false);
        dictionary.ClosingStep();
        QCOMPARE(settings.ReadString("FormDiccionariExcepcions", "HiHaDiccionariExcepcions", ""), QStringLiteral("NO"));
    }

    void specialFilesNeitherHangNorExhaustMemory()
    {
        SettingsStore settings(Settings());
        FormDiccionariExcepcions dictionary(settings, nullptr, m_dir.path());
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.txt"));
        QVERIFY(MakeSpecialFile(fifo, SpecialFile::Fifo));
        for (const QString &path : {QStringLiteral("/dev/zero"), fifo, m_dir.path()}) {
            dictionary.LoadExceptionsDictionary(path);
            QVERIFY2(!dictionary.DictionaryActive(), qPrintable(path));
        }

        // Recordings that are not files are not handed to the player: the word is said.
        const QString words =
            Write(QStringLiteral("sounds.txt"), "gat gat.wav\ngos gos.mp3\nzero zero.wav\nlleo lleo.wav\n");
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir.filePath(QStringLiteral("zero.wav"))));
        QVERIFY(MakeSpecialFile(m_dir.filePath(QStringLiteral("gat.wav")), SpecialFile::Fifo));
        QVERIFY(MakeSpecialFile(m_dir.filePath(QStringLiteral("gos.mp3")), SpecialFile::Folder));
        Write(QStringLiteral("lleo.wav"), "RIFF");
        dictionary.LoadExceptionsDictionary(words);
        QVERIFY(dictionary.DictionaryActive());
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("gat")), QStringLiteral("gat"));
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("gos")), QStringLiteral("gos"));
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("zero")), QStringLiteral("zero"));
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("lleo")), QStringLiteral("lleo.wav"));
    }

    void tableGrowsPastAThousandEntries()
    {
        QByteArray bytes;
        for (int i = 0; i < 1500; ++i)
            bytes += "w" + QByteArray::number(i) + " r" + QByteArray::number(i) + "\n";
        SettingsStore settings(Settings());
        FormDiccionariExcepcions dictionary(settings, nullptr, m_dir.path());
        dictionary.LoadExceptionsDictionary(Write(QStringLiteral("big.txt"), bytes));
        QCOMPARE(dictionary.Table().Count(), 1500);
        QCOMPARE(dictionary.ApplyExceptionsDictionary(QStringLiteral("W1499")), QStringLiteral("r1499"));
    }
};

QTEST_APPLESS_MAIN(TestExceptionsDictionary)
#include "test_exceptionsdictionary.moc"
