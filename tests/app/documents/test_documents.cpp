#include "app/documents/DocumentCommands.h"
#include "core/EditorText.h"
#include "core/TextEncoding.h"
#include "core/WholeFiles.h"
#include "tests/common/FaultyFiles.h"
#include "tests/fakes/ScriptedQuestions.h"

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
        // Stray bytes in UTF-8 (a Windows-1252 quote pasted in, a damaged byte) are kept as they were.
        QTest::newRow("utf-8 with a stray byte")
            << QByteArray("El m\xC3\xB3n \x93" "diu\r\nad\xC3\xA9u\r\n")
            << QString::fromUtf8("El món ") + QChar(0xDC93) + QString::fromUtf8("diu\nadéu\n");
        QTest::newRow("utf-8 with a stray byte at the end") << QByteArray("\xC3\xA0\xC3") << QString::fromUtf8("à") + QChar(0xDCC3);
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
        // Why, and whether to save under another name; cancelled here.
        QVERIFY(!f.docs.Save());
        QCOMPARE(f.ask.confirmations.size(), 1);
        const QString question = f.ask.confirmations.first();
        QVERIFY2(question.startsWith("No s'ha pogut desar doc.txt: ") && question.endsWith("Voleu desar-lo amb un altre nom?"),
                 qPrintable(question));
        const char *why = how == "vanished" ? "no existeix"
                          : how == "full"   ? "el disc és ple"
                          : asRoot          ? "només es pot llegir"
                                            : "no teniu permís per escriure";
        QVERIFY2(question.contains(QString::fromUtf8(why)), qPrintable(question));
        QVERIFY(f.editor.Modified());
        if (how != "vanished")
            QCOMPARE(ReadBytes(path), QByteArray("old text"));
        if (how == "full") {
            // Said as a full disk with the room the document needs, not as an unknown error.
            QVERIFY2(question.contains(QLocale(QLocale::Catalan).formattedDataSize(length, 1, QLocale::DataSizeSIFormat)),
                     qPrintable(question));
            // No temporary copy is left to fill the disk.
            QCOMPARE(QDir(folder.filePath("small")).entryList(QDir::Files), (QStringList{"doc.txt", "filler"}));
        }
        // Accepted, the offer saves elsewhere, and the document takes that name.
        const QString elsewhere = m_dir.filePath(QStringLiteral("desat-%1.txt").arg(how));
        f.ask.saveAnswers << SaveAnswer::Yes;
        f.ask.saveNameAnswers << elsewhere;
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(elsewhere), QByteArray(length, 'x'));
        QCOMPARE(f.docs.CurrentFileName(), elsewhere);
        QVERIFY(!f.editor.Modified());
    }

    void specialFilesAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("why");
        QTest::addColumn<int>("language");
        QTest::newRow("endless device") << "/dev/zero" << "dispositiu" << 0;
        QTest::newRow("FIFO") << "fifo" << "FIFO" << 0;
        QTest::newRow("folder") << "folder" << "carpeta" << 0;
        QTest::newRow("larger than the program holds") << "huge.txt" << "massa gran" << 0;
        QTest::newRow("folder, Spanish interface") << "folder" << "no se puede abrir porque es una carpeta" << 1;
        QTest::newRow("too large, English interface") << "huge.txt" << "the file is too large" << 5;
    }
    void specialFilesAreRefusedWithAMessage()
    {
        QFETCH(QString, path);
        QFETCH(QString, why);
        QFETCH(int, language);
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
        f.docs.SetLanguage([language] { return language; });
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
    // A program or other data opens as text only when the user says so, and is never
    // written over: "Guardar" asks for another name, and the copy keeps every byte.
    void aFileThatIsNotTextIsAskedAboutAndNeverWrittenOver()
    {
        QByteArray program("\x7F" "ELF\x02\x01\x01", 7);
        program += QByteArray(64, '\0') + "text\xE9\x81 and data" + QByteArray(16, '\x01') + "\r\n";
        const QString path = m_dir.filePath("binari.dat");
        WriteBytes(path, program);
        Fixture f;
        QString status = QStringLiteral("stale");
        bool readOnly = false;
        f.docs.SetStatus([&status](const QString &text) { status = text; });
        f.docs.SetReadOnlyView([&readOnly](bool on) { readOnly = on; });
        f.editor.SetText("kept");
        f.editor.SetModified(false);

        f.ask.saveAnswers << SaveAnswer::No;
        f.docs.DropFile(path);
        QCOMPARE(f.ask.confirmations.size(), 1);
        QVERIFY2(f.ask.confirmations.first().startsWith("binari.dat no sembla un fitxer de text: obrir-lo igualment?"),
                 qPrintable(f.ask.confirmations.first()));
        QCOMPARE(f.editor.Text(), QString("kept"));
        QVERIFY(f.docs.CurrentFileName().isEmpty());

        f.ask.saveAnswers << SaveAnswer::Yes;
        f.docs.DropFile(path);
        QCOMPARE(f.docs.CurrentFileName(), path);
        QVERIFY(f.docs.ReadOnly() && readOnly);
        QVERIFY2(status.contains("només es pot llegir"), qPrintable(status));
        // Changed all the same (a tool writes into it): "Guardar" only offers a copy.
        f.editor.Replace(0, 0, "x");
        f.editor.Replace(0, 1, QString());
        QVERIFY(!f.docs.Save());
        QCOMPARE(f.ask.saveProposals, QStringList{m_dir.filePath("binari.txt")});
        QCOMPARE(ReadBytes(path), program);
        const QString copy = m_dir.filePath("copia.dat");
        f.ask.saveNameAnswers << copy;
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(copy), program);
        QCOMPARE(ReadBytes(path), program);
        QCOMPARE(f.caption, QString("copia.dat"));
        QVERIFY(!f.docs.ReadOnly() && !readOnly);

        // Named at start and kept closed: an empty document without its name.
        Fixture started;
        QVERIFY(!started.docs.LoadCommandLineFile(path));
        QCOMPARE(started.ask.confirmations.size(), 1);
        QVERIFY(started.docs.CurrentFileName().isEmpty());
        QCOMPARE(started.editor.Text(), QString());
    }

    // The status line tells of stray bytes in the interface language, and says nothing of
    // one document once another is open.
    void strayBytesAreSaidAndTheStatusFollowsTheDocument()
    {
        const QString odd = m_dir.filePath("estrany.txt");
        WriteBytes(odd, "El m\xC3\xB3n \x93" "diu \x94i \xC3\xA0\n");
        const QString plain = m_dir.filePath("pla.txt");
        WriteBytes(plain, "pla\n");
        Fixture f;
        QString status;
        f.docs.SetStatus([&status](const QString &text) { status = text; });
        f.docs.SetLanguage([] { return 1; });
        f.docs.DropFile(odd);
        QCOMPARE(status, QString::fromUtf8("estrany.txt: 2 bytes no son UTF-8; se muestran como caracteres "
                                           "desconocidos y se guardan tal como eran."));
        f.docs.DropFile(plain);
        QCOMPARE(status, QString());
        QCOMPARE(f.docs.CurrentFileName(), plain);
    }

    // A "Guardar com" that fails leaves the document under its old name: the title never
    // names a file that was not written.
    void aFailedSaveAsKeepsTheOldName()
    {
        QTemporaryDir folder;
        SmallDisk disk(folder.filePath("small"));
        if (!disk.Mounted())
            QSKIP("needs root to mount a small file system");
        const QString path = m_dir.filePath("meu.txt");
        WriteBytes(path, "meu");
        Fixture f;
        f.docs.DropFile(path);
        f.editor.SetText(QString(200000, QLatin1Char('x')));
        disk.Fill();
        f.ask.saveNameAnswers << disk.FilePath("nou.txt");
        QVERIFY(!f.docs.SaveAs());
        QCOMPARE(f.caption, QString("meu.txt"));
        QCOMPARE(f.docs.CurrentFileName(), path);
        QVERIFY(!QFile::exists(disk.FilePath("nou.txt")));
        QVERIFY(f.editor.Modified());
        QCOMPARE(f.ask.confirmations.size(), 1);
        QVERIFY2(f.ask.confirmations.first().startsWith("No s'ha pogut desar nou.txt: el disc és ple"),
                 qPrintable(f.ask.confirmations.first()));
        // "Guardar" then writes where the document came from.
        QVERIFY(f.docs.Save());
        QCOMPARE(ReadBytes(path).size(), 200000);
    }
};

QTEST_APPLESS_MAIN(TestDocuments)
#include "test_documents.moc"
