#include "app/DocumentCommands.h"
#include "core/EditorText.h"
#include "core/TextEncoding.h"
#include "core/WholeFiles.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "tests/FaultyFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Fixture
    {
        PlainEditorText editor;
        ScriptedQuestions ask;
        QString caption;
        DocumentCommands docs{editor, ask, [this](const QString &name) { caption = name; }};
    };

private slots:
    void newStartsAnUnnamedDocumentSoSaveAsksForAName_data()
    {
        QTest::addColumn<bool>("html");
        QTest::newRow("Nou") << false;
        QTest::newRow("Nou HTML") << true;
    }

    void newStartsAnUnnamedDocumentSoSaveAsksForAName()
    {
        QFETCH(bool, html);
        // A Windows-1252 letter with CR LF line breaks.
        const QByteArray letter = "Benvolgud\xE0\r\n";
        const QString path = m_dir.filePath(html ? "pagina.txt" : "carta.txt");
        WriteBytes(path, letter);
        Fixture f;
        f.ask.openAnswers << path;
        f.docs.Open();
        QCOMPARE(f.editor.Text(), QString::fromUtf8("Benvolgudà\n"));
        QCOMPARE(f.caption, QFileInfo(path).fileName());
        html ? f.docs.NewHtml() : f.docs.New();
        QCOMPARE(f.docs.CurrentFileName(), QString());
        QCOMPARE(f.caption, QString());
        f.editor.Replace(f.editor.Length(), 0, QString::fromUtf8("nou tèxt"));

        // The save dialog is cancelled: nothing is written anywhere.
        QVERIFY(!f.docs.Save());
        QCOMPARE(f.ask.saveProposals, QStringList{QString()});
        QCOMPARE(ReadBytes(path), letter);
        QVERIFY(f.editor.Modified());

        // A name is given: the new text goes there, as a new document is written (UTF-8,
        // "\n"), and the old file is untouched.
        const QString other = m_dir.filePath(html ? "nova.htm" : "nova.txt");
        f.ask.saveNameAnswers << other;
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(path), letter);
        const QByteArray written = ReadBytes(other);
        QVERIFY(written.endsWith("nou t\xC3\xA8xt"));
        QVERIFY(!written.contains('\r'));
        QCOMPARE(f.caption, QFileInfo(other).fileName());
    }

    void newHtmlOnAnEmptyDocumentGivesTheSkeleton()
    {
        Fixture f;
        f.docs.NewHtml();
        const QStringList lines = f.editor.Text().split('\n');
        QCOMPARE(f.editor.LineCount(), 19);
        QCOMPARE(lines.mid(0, 19), DocumentCommands::HtmlSkeleton());
        QCOMPARE(lines.at(2), QString("\t<TITLE></TITLE>"));
        QCOMPARE(lines.at(10), QString());
        QVERIFY(!f.editor.Modified());
    }

    void newHtmlOnAModifiedDocumentAnsweredNoEmptiesIt()
    {
        Fixture f;
        f.editor.Replace(0, 0, "text");
        f.ask.saveAnswers << SaveAnswer::No;
        f.docs.NewHtml();
        QCOMPARE(f.editor.Text(), QString());
        QCOMPARE(f.ask.confirmations, QStringList{"Fitxer modificat. vol guardar-lo?"});
    }

    void cancelChangesNothing()
    {
        Fixture f;
        f.editor.Replace(0, 0, "text");
        f.ask.saveAnswers << SaveAnswer::Cancel;
        f.docs.New();
        QCOMPARE(f.editor.Text(), QString("text"));
        QVERIFY(f.editor.Modified());
    }

    void saveWithoutANameAsksForOneAndSetsTheCaption()
    {
        Fixture f;
        f.editor.Replace(0, 0, "hola");
        const QString path = m_dir.filePath("nou.txt");
        f.ask.saveNameAnswers << path;
        QVERIFY(f.docs.Save());
        QCOMPARE(f.ask.saveProposals, QStringList{QString()});
        QCOMPARE(f.caption, QString("nou.txt"));
        QCOMPARE(ReadBytes(path), QByteArray("hola"));
        QVERIFY(!f.editor.Modified());
    }

    void yesThenCancelledSaveDialogKeepsTheText()
    {
        Fixture f;
        f.editor.Replace(0, 0, "precious");
        // Closing: Yes, then the save dialog is cancelled: the window stays open.
        f.ask.saveAnswers << SaveAnswer::Yes;
        QVERIFY(!f.docs.CloseQuery());
        QCOMPARE(f.editor.Text(), QString("precious"));
        // A dropped file is not loaded over the unsaved text either.
        const QString other = m_dir.filePath("other.txt");
        WriteBytes(other, "other");
        f.ask.saveAnswers << SaveAnswer::Yes;
        f.docs.DropFile(other);
        QCOMPARE(f.editor.Text(), QString("precious"));
        // New asks again after a save that did not happen; Cancel ends it.
        f.ask.saveAnswers << SaveAnswer::Yes << SaveAnswer::Cancel;
        f.docs.New();
        QCOMPARE(f.ask.confirmations.size(), 4);
        QCOMPARE(f.editor.Text(), QString("precious"));
    }

    void closeAnsweredNoDiscards()
    {
        Fixture f;
        f.editor.Replace(0, 0, "x");
        f.ask.saveAnswers << SaveAnswer::No;
        QVERIFY(f.docs.CloseQuery());
        QVERIFY(f.docs.CloseQuery()); // not asked again
        QCOMPARE(f.ask.confirmations.size(), 1);
    }

    void dropLoadsTheWholeLongName()
    {
        QString folder = m_dir.path();
        for (int i = 0; i < 3; ++i) {
            folder += '/' + QString(90, QChar('a' + i));
            QVERIFY(QDir().mkpath(folder));
        }
        const QString path = folder + "/document amb espais.txt";
        QVERIFY(path.size() > 259);
        WriteBytes(path, "llarg");
        Fixture f;
        f.docs.DropFile(path);
        QCOMPARE(f.editor.Text(), QString("llarg"));
        QCOMPARE(f.docs.CurrentFileName(), path);
        QCOMPARE(f.caption, QString("document amb espais.txt"));
    }

    void documentsKeepTheirEncodingAndLineBreaks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("windows-1252 crlf") << QByteArray("Bon dia, l\x92\xE0via\r\nad\xE9u\r\n")
                                           << QString::fromUtf8("Bon dia, l’àvia\nadéu\n");
        QTest::newRow("utf-8 lf") << QByteArray("a\xC2\xA0" "b\n") << QString::fromUtf8("a\u00A0b\n");
        QTest::newRow("nul bytes") << QByteArray("a\0b", 3) << QString(QStringLiteral("a")) + QChar(0) + "b";
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFok") << QString("ok");
    }
    void documentsKeepTheirEncodingAndLineBreaks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString path = m_dir.filePath("enc.txt");
        WriteBytes(path, bytes);
        Fixture f;
        f.docs.DropFile(path);
        QCOMPARE(f.editor.Text(), text);
        f.editor.Replace(0, 0, QString());
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(path), bytes);
        QVERIFY(f.ask.messages.isEmpty());
    }

    void aCharacterWindows1252LacksSwitchesToUtf8AndSaysSoOnce()
    {
        const QString path = m_dir.filePath("latin.txt");
        WriteBytes(path, "caf\xE9\r\n");
        Fixture f;
        f.docs.DropFile(path);
        f.editor.Replace(f.editor.Length(), 0, QString::fromUtf8("π\n"));
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(path), QByteArray("caf\xC3\xA9\r\n\xCF\x80\r\n"));
        QCOMPARE(f.ask.messages.size(), 1);
        QVERIFY(f.docs.Save());
        QCOMPARE(f.ask.messages.size(), 1);
    }

    void aFailedSaveKeepsTheOldFileAndTheDocumentModified_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("length");
        QTest::newRow("read-only folder") << "readonly" << 8;
        QTest::newRow("vanished folder") << "vanished" << 8;
        // A small document fits in a write buffer: its failure shows only when flushed.
        QTest::newRow("full disk, small document") << "full" << 31;
        QTest::newRow("full disk, large document") << "full" << 200000;
    }
    void aFailedSaveKeepsTheOldFileAndTheDocumentModified()
    {
        QFETCH(QString, how);
        QFETCH(int, length);
        QTemporaryDir folder;
        QString path = folder.filePath("doc.txt");
        const bool asRoot = ::geteuid() == 0;
        // As root, permissions refuse nothing: a small file system of our own is
        // made full or read-only instead.
        const bool ownFileSystem = how == "full" || (how == "readonly" && asRoot);
        std::optional<SmallDisk> disk;
        if (ownFileSystem) {
            disk.emplace(folder.filePath("small"));
            if (!disk->Mounted())
                QSKIP("needs root to mount a small file system");
            path = disk->FilePath("doc.txt");
        }
        WriteBytes(path, "old text");
        Fixture f;
        f.docs.DropFile(path);
        f.editor.SetText(QString(length, QLatin1Char('x')));
        // Writable again on the way out, whatever check fails, so the folder can go.
        const auto writable = qScopeGuard([&folder] {
            QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        if (how == "readonly") {
            if (asRoot)
                QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", folder.filePath("small")}), 0);
            else
                QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        } else if (how == "vanished") {
            QVERIFY(QDir(folder.path()).removeRecursively());
        } else if (how == "full") {
            disk->Fill();
        }
        QVERIFY(!f.docs.Save());
        QCOMPARE(f.ask.messages.size(), 1);
        QVERIFY(f.ask.messages.first().contains("doc.txt"));
        QVERIFY(f.editor.Modified());
        if (how != "vanished")
            QCOMPARE(ReadBytes(path), QByteArray("old text"));
        if (how == "full") {
            // Said as a full disk with the room the document needs, not as an unknown error.
            QVERIFY2(f.ask.messages.first().contains("el disc és ple")
                         && f.ask.messages.first().contains(QLocale(QLocale::Catalan).formattedDataSize(
                             length, 1, QLocale::DataSizeSIFormat)),
                     qPrintable(f.ask.messages.first()));
            // No temporary copy is left to fill the disk.
            QCOMPARE(QDir(folder.filePath("small")).entryList(QDir::Files), (QStringList{"doc.txt", "filler"}));
        }
    }

    void specialFilesAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("why");
        QTest::newRow("endless device") << "/dev/zero" << "dispositiu";
        QTest::newRow("FIFO") << "fifo" << "FIFO";
        QTest::newRow("folder") << "folder" << "carpeta";
        QTest::newRow("larger than the program holds") << "huge.txt" << "massa gran";
    }
    void specialFilesAreRefusedWithAMessage()
    {
        QFETCH(QString, path);
        QFETCH(QString, why);
        if (!path.startsWith('/')) {
            path = m_dir.filePath(path);
            QFile::remove(path);
        }
        if (path.endsWith("fifo"))
            QVERIFY(MakeSpecialFile(path, SpecialFile::Fifo));
        else if (path.endsWith("folder"))
            QVERIFY(MakeSpecialFile(path, SpecialFile::Folder));
        else if (path.endsWith("huge.txt"))
            QVERIFY(MakeSpecialFile(path, SpecialFile::Sparse, WholeFiles::kLargestFile + 1));
        Fixture f;
        f.editor.SetText("kept");
        f.editor.SetModified(false);
        f.docs.DropFile(path);
        QCOMPARE(f.editor.Text(), QString("kept"));
        QCOMPARE(f.ask.messages.size(), 1);
        QVERIFY2(f.ask.messages.first().contains(path) && f.ask.messages.first().contains(why),
                 qPrintable(f.ask.messages.first()));
        QVERIFY(f.docs.CurrentFileName() != path);
    }

    void anUnreadableCommandLineFileGivesAnEmptyDocumentAndAMessage()
    {
        Fixture f;
        const QString path = m_dir.filePath("missing file.txt");
        QVERIFY(!f.docs.LoadCommandLineFile(path));
        QCOMPARE(f.editor.Text(), QString());
        QCOMPARE(f.ask.messages.size(), 1);
        QCOMPARE(f.caption, QString("missing file.txt"));
    }
};

QTEST_APPLESS_MAIN(TestDocuments)
#include "test_documents.moc"
