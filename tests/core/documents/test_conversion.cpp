#include "core/documents/DocumentConversion.h"
#include "core/documents/TextCleanup.h"
#include "tests/common/SampleDocuments.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

// Documents of every kind the editor opens as text, made here and read back word for word.
class TestConversion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    static bool WriteBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A DOCX whose document unpacks to 300 MB of blanks: a few hundred kilobytes packed.
    static bool WriteZipBomb(const QString &path)
    {
        struct Blanks
        {
            zip_uint64_t left = 300ULL * 1024 * 1024;
        };
        static Blanks blanks;
        blanks = Blanks();
        auto produce = [](void *, void *data, zip_uint64_t length, zip_source_cmd_t command) -> zip_int64_t {
            switch (command) {
            case ZIP_SOURCE_OPEN:
            case ZIP_SOURCE_CLOSE:
                return 0;
            case ZIP_SOURCE_READ: {
                const zip_uint64_t n = std::min(length, blanks.left);
                std::memset(data, ' ', size_t(n));
                blanks.left -= n;
                return zip_int64_t(n);
            }
            case ZIP_SOURCE_STAT: {
                auto *stat = static_cast<zip_stat_t *>(data);
                zip_stat_init(stat);
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_SUPPORTS:
                return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                      ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, -1);
            default:
                return 0;
            }
        };
        int error = 0;
        zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_source_t *source = archive ? zip_source_function(archive, produce, nullptr) : nullptr;
        if (!source || zip_file_add(archive, "word/document.xml", source, 0) < 0)
            return false;
        zip_set_file_compression(archive, 0, ZIP_CM_DEFLATE, 1);
        return zip_close(archive) == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(Samples::WritePdf(Path("fitxa.pdf"), Samples::Worksheet()));
        QVERIFY(Samples::WriteDocx(Path("carta.docx")));
        QVERIFY(Samples::WriteOdt(Path("carta.odt")));
        QVERIFY(Samples::WriteEpub(Path("llibre.epub")));
    }

    // Headers, page numbers, a broken word and two columns: the listener gets the text only.
    void pdfReadsAsCleanParagraphs()
    {
        int progressCalls = 0;
        ConversionControl control;
        control.progress = [&](int done, int total) {
            ++progressCalls;
            QCOMPARE(total, 3);
            QCOMPARE(done, progressCalls);
        };
        const ConvertedDocument document = ConvertDocument(Path("fitxa.pdf"), control);
        QVERIFY2(document.ok, qPrintable(document.error));
        if (document.text != QString::fromUtf8(Samples::WorksheetText()))
            qWarning().noquote() << document.text;
        QCOMPARE(document.text, QString::fromUtf8(Samples::WorksheetText()));
        QCOMPARE(document.origin, QStringLiteral("fitxa.pdf, 3 pàgines"));
        QCOMPARE(progressCalls, 3);
    }

    void officeDocumentsAndBooksReadWordForWord_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("DOCX") << "carta.docx" << QString::fromUtf8(Samples::OfficeText());
        QTest::newRow("ODT") << "carta.odt" << QString::fromUtf8(Samples::OfficeText());
        QTest::newRow("EPUB, every chapter of its spine") << "llibre.epub" << QString::fromUtf8(Samples::EpubText());
    }
    void officeDocumentsAndBooksReadWordForWord()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const ConvertedDocument document = ConvertDocument(m_dir.filePath(file));
        QVERIFY2(document.ok, qPrintable(document.error));
        QCOMPARE(document.text, expected);
        QCOMPARE(document.origin, file);
    }

    // Each writer spells an accent its own way: pandoc and Word as Unicode escapes (Word
    // with a Windows-1252 fallback byte after each), WordPad as Windows-1252 bytes. Every
    // letter, the table and the note come through.
    void richTextFromSeveralWritersKeepsEveryLetter_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QProcess pandoc;
        pandoc.start(QStringLiteral("pandoc"), {"-s", "-f", "markdown", "-t", "rtf"});
        QVERIFY(pandoc.waitForStarted());
        pandoc.write("El Sol \xC3\xA9s una estrella: l'\xC3\xBAnic cap\xC3\xADtol, perqu\xC3\xA8 t\xC3\xA9 "
                     "molt \xC3\xB2xid.[^1]\n\n"
                     "| Nom | Edat |\n|-----|------|\n| N\xC3\xBAria | 13 |\n\n"
                     "[^1]: Nota de l'autor.\n");
        pandoc.closeWriteChannel();
        QVERIFY(pandoc.waitForFinished(60000));
        const QByteArray fromPandoc = pandoc.readAllStandardOutput();
        QVERIFY(fromPandoc.contains("\\u233?"));
        QTest::newRow("pandoc") << fromPandoc;
        QTest::newRow("Word")
            << QByteArray(R"({\rtf1\ansi\ansicpg1252\deff0\uc1{\fonttbl{\f0\froman Times New Roman;}})"
                          R"(\pard\plain\f0 El Sol \u233\'e9s una estrella: l\u8217\'92\u250\'fanic cap\u237\'edtol, )"
                          R"(perqu\u232\'e8 t\u233\'e9 molt \u242\'f2xid.{\super\chftn})"
                          R"({\footnote\pard\plain{\super\chftn} Nota de l\u8217\'92autor.}\par)"
                          R"(\trowd\cellx3000\cellx6000\pard\intbl Nom\cell Edat\cell\row)"
                          R"(\trowd\cellx3000\cellx6000\pard\intbl N\u250\'faria\cell 13\cell\row\pard\par})");
        QTest::newRow("WordPad")
            << QByteArray(R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Arial;}}\f0 El Sol \'e9s una estrella: )"
                          R"(l\rquote\'fanic cap\'edtol, perqu\'e8 t\'e9 molt \'f2xid.{\super\chftn})"
                          R"({\footnote\pard{\super\chftn} Nota de l\rquote autor.}\par)"
                          R"(\trowd\cellx3000\cellx6000\intbl Nom\cell Edat\cell\row)"
                          R"(\trowd\cellx3000\cellx6000\intbl N\'faria\cell 13\cell\row\pard\par})");
    }
    void richTextFromSeveralWritersKeepsEveryLetter()
    {
        QFETCH(QByteArray, rtf);
        QVERIFY(WriteBytes(Path("escrit.rtf"), rtf));
        const ConvertedDocument document = ConvertDocument(Path("escrit.rtf"));
        QVERIFY2(document.ok, qPrintable(document.error));
        const QString text = document.text;
        for (const char *words : {"El Sol és una estrella", "únic capítol, perquè té molt òxid.", "Núria · 13",
                                  "Nom · Edat", "1. Nota de l"})
            QVERIFY2(text.contains(QString::fromUtf8(words)), qPrintable(text));
        // The note follows the text.
        QVERIFY2(text.indexOf(QStringLiteral("Nota de l")) > text.indexOf(QStringLiteral("13")), qPrintable(text));
    }

    void richTextAndWebPagesReadWordForWord_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("RTF with accents")
            << "nota.rtf"
            << QByteArray(R"({\rtf1\ansi\ansicpg1252 {\fonttbl{\f0 Arial;}}\f0 L'\'e0via va a la pla\'e7a.\par )"
                          R"(Segon par\'e0graf amb \'e8 i \'f3.\par})")
            << QStringLiteral("L'àvia va a la plaça.\n\nSegon paràgraf amb è i ó.\n");
        QTest::newRow("HTML in Windows-1252")
            << "pagina.htm"
            << QByteArray("<html><head><title>T</title><style>p{color:red}</style><script>if (a<b) x();</script></head>"
                          "<body><h2>Pla\xe7""a</h2><p>Un &amp; dos&nbsp;&agrave; la <b>vegada</b><br>i tres.</p>"
                          "<table><tr><td>a</td><td>b</td></tr></table><img src=\"g.png\" alt=\"Un gat\"></body></html>")
            << QStringLiteral("Plaça\n\nUn & dos à la vegada i tres.\n\na · b\n\n[Un gat]\n");
    }
    void richTextAndWebPagesReadWordForWord()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QVERIFY(WriteBytes(m_dir.filePath(file), bytes));
        const ConvertedDocument document = ConvertDocument(m_dir.filePath(file));
        QVERIFY2(document.ok, qPrintable(document.error));
        QCOMPARE(document.text, expected);
    }

    // The content tells the kind; the extension alone decides nothing but a web page.
    void kindIsToldByContent()
    {
        QVERIFY(QFile::copy(Path("fitxa.pdf"), Path("fitxa-pdf.txt")));
        QCOMPARE(KindOfDocument(Path("fitxa-pdf.txt")), DocumentKind::Pdf);
        QCOMPARE(ConvertDocument(Path("fitxa-pdf.txt")).text, QString::fromUtf8(Samples::WorksheetText()));
        QVERIFY(QFile::copy(Path("carta.docx"), Path("carta.odt.bak")));
        QCOMPARE(ConvertDocument(Path("carta.odt.bak")).text, QString::fromUtf8(Samples::OfficeText()));
        QVERIFY(WriteBytes(Path("notes.txt"), "<html><body>no</body></html>\n"));
        QCOMPARE(KindOfDocument(Path("notes.txt")), DocumentKind::PlainText);
        QVERIFY(WriteBytes(Path("pagina"), "<!DOCTYPE html><html><body><p>si</p></body></html>\n"));
        QCOMPARE(KindOfDocument(Path("pagina")), DocumentKind::Html);
        QCOMPARE(SuggestedTextName(Path("fitxa.pdf")), Path("fitxa.txt"));
        QCOMPARE(SuggestedTextName(Path("llibre.v2.epub")), Path("llibre.v2.txt"));
    }

    void badDocumentsAreRefusedWithNameAndReason_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray pdf = Bytes(Path("fitxa.pdf"));
        const QByteArray docx = Bytes(Path("carta.docx"));
        QVERIFY(WriteBytes(Path("tallat.pdf"), pdf.left(300)));
        QVERIFY(WriteBytes(Path("tallat.docx"), docx.left(docx.size() / 2)));
        QVERIFY(WriteBytes(Path("carta.pdf"), "Benvolguda Anna,\n"));
        QVERIFY(Samples::WriteZip(Path("fotos.docx"), {{"foto.txt", "res"}}));
        QVERIFY(Samples::WriteEpub(Path("drm.epub"), true));
        QVERIFY(WriteZipBomb(Path("bomba.docx")));
        QVERIFY(QFileInfo(Path("bomba.docx")).size() < 2 * 1024 * 1024);
        {
            QPdfWriter writer(Path("escanejat.pdf"));
            QPainter painter(&writer);
            QImage scan(200, 100, QImage::Format_RGB32);
            scan.fill(Qt::gray);
            painter.drawImage(QPointF(10, 10), scan);
        }
        const int locked = QProcess::execute(QStringLiteral("qpdf"), {"--encrypt", "clau", "clau", "256", "--",
                                                                       Path("fitxa.pdf"), Path("tancat.pdf")});
        QCOMPARE(locked, 0);
        QTest::newRow("encrypted PDF") << "tancat.pdf" << "protected by a password";
        QTest::newRow("scanned PDF of no text") << "escanejat.pdf" << "no text was found on its scanned pages";
        QTest::newRow("truncated PDF") << "tallat.pdf" << "damaged or incomplete";
        QTest::newRow("truncated DOCX") << "tallat.docx" << "not a complete ZIP container";
        QTest::newRow("ZIP bomb as DOCX") << "bomba.docx" << "unpacks to more than 256 MB";
        QTest::newRow("EPUB with DRM") << "drm.epub" << "DRM";
        QTest::newRow("text named .pdf") << "carta.pdf" << "its content is not a PDF document";
        QTest::newRow("another ZIP named .docx") << "fotos.docx" << "not a document this program reads";
    }
    void badDocumentsAreRefusedWithNameAndReason()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        const ConvertedDocument document = ConvertDocument(m_dir.filePath(file));
        QVERIFY(!document.ok);
        QVERIFY(document.text.isEmpty());
        QVERIFY2(document.error.startsWith(file + QStringLiteral(": ")), qPrintable(document.error));
        QVERIFY2(document.error.contains(reason), qPrintable(document.error));
    }

    void cancelStopsBetweenPages()
    {
        ConversionControl control;
        control.cancelled = [] { return true; };
        const ConvertedDocument document = ConvertDocument(Path("fitxa.pdf"), control);
        QVERIFY(document.cancelled);
        QVERIFY(!document.ok);
        QVERIFY(document.text.isEmpty());
    }

    void linesJoinAsAListenerNeeds()
    {
        using TextCleanup::JoinLines;
        QCOMPARE(JoinLines(QStringLiteral("contin-"), QStringLiteral("uació")), QStringLiteral("continuació"));
        QCOMPARE(JoinLines(QStringLiteral("contin\u00AD"), QStringLiteral(" uació")), QStringLiteral("continuació"));
        QCOMPARE(JoinLines(QStringLiteral("nord-"), QStringLiteral("Amèrica")), QStringLiteral("nord- Amèrica"));
        QCOMPARE(JoinLines(QStringLiteral("pàgines 3-"), QStringLiteral("4")), QStringLiteral("pàgines 3- 4"));
        QCOMPARE(JoinLines(QString(), QStringLiteral("sol")), QStringLiteral("sol"));
        QCOMPARE(TextCleanup::JoinParagraphs({QStringLiteral(" a\n b\u00AD\tc\u00AD "), QStringLiteral(" \n "), QStringLiteral("d")}),
                 QStringLiteral("a b c\n\nd\n"));
        QCOMPARE(TextCleanup::JoinParagraphs({}), QString());
        QCOMPARE(TextCleanup::JoinParagraphs({QStringLiteral("\uFB01txa \uFB02or")}), QStringLiteral("fitxa flor\n"));
        // Pages of words placed anywhere, or nowhere, give text and nothing worse.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        TextCleanup::Page odd;
        odd.words = {{QStringLiteral("x"), QRectF(nan, 0, 1, 1)}, {QStringLiteral("y"), QRectF(0, 0, -1, 0)},
                     {QStringLiteral("bé"), QRectF(10, 10, 10, 10)}};
        QCOMPARE(TextCleanup::PagesToText({odd, TextCleanup::Page()}), QStringLiteral("bé\n"));
    }

    // The first pages of a document, shown while the rest are read, grow into the whole
    // text: a running header stays until enough pages show it, a paragraph the next page
    // goes on with waits for it, and with every page in the text is the whole one.
    void firstPagesSettleIntoTheWholeText()
    {
        auto page = [](int number, const QStringList &body) {
            TextCleanup::Page laid;
            laid.size = QSizeF(600, 800);
            laid.words.append({QStringLiteral("Fitxa de lectura"), QRectF(100, 20, 200, 12)});
            double y = 200;
            for (const QString &line : body) {
                if (line.isEmpty()) {
                    y += 30; // a paragraph ends
                    continue;
                }
                laid.words.append({line, QRectF(50, y, 400, 12)});
                y += 14;
            }
            laid.words.append({QString::number(number), QRectF(300, 770, 10, 12)});
            return laid;
        };
        const QList<TextCleanup::Page> pages = {
            page(1, {QStringLiteral("La Marta obre el llibre."), QString(), QStringLiteral("Comença a llegir.")}),
            page(2, {QStringLiteral("El gat dorm."), QString(), QStringLiteral("La paraula que no s'acaba és contin-")}),
            page(3, {QStringLiteral("uació de la frase."), QString(), QStringLiteral("Plou a fora.")}),
            page(4, {QStringLiteral("Fi de la fitxa.")}),
        };
        const QString whole = TextCleanup::PagesToText(pages);
        QVERIFY2(!whole.contains(QStringLiteral("Fitxa de lectura")) && whole.contains(QStringLiteral("continuació")),
                 qPrintable(whole));
        QCOMPARE(TextCleanup::SettledText(pages, 4), whole);
        const QString one = TextCleanup::SettledText(pages.mid(0, 1), 4);
        QVERIFY2(one.startsWith(QStringLiteral("Fitxa de lectura\n\nLa Marta obre el llibre.")), qPrintable(one));
        const QString two = TextCleanup::SettledText(pages.mid(0, 2), 4);
        QVERIFY2(two.endsWith(QStringLiteral("El gat dorm.\n")), qPrintable(two));
        // Save for the running header and page numbers, what is shown begins the whole text.
        for (int shown = 1; shown <= 4; ++shown) {
            QString text = TextCleanup::SettledText(pages.mid(0, shown), 4);
            // What the window then takes out: paragraphs of header and page number.
            text.remove(QRegularExpression(QStringLiteral("^[\\d ]*(Fitxa de lectura)?\n\n"),
                                           QRegularExpression::MultilineOption));
            QVERIFY2(whole.startsWith(text), qPrintable(QString::number(shown) + QLatin1Char(':') + text));
        }
    }

    // The command line prints the very text the window opens, for batch conversion.
    void toolPrintsTheSameText()
    {
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool");
        for (const char *file : {"fitxa.pdf", "llibre.epub"}) {
            QProcess run;
            run.start(tool, {QStringLiteral("text"), Path(file)});
            QVERIFY(run.waitForFinished(60000));
            QCOMPARE(run.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(run.readAllStandardOutput()), ConvertDocument(Path(file)).text);
        }
        QProcess refused;
        refused.start(tool, {QStringLiteral("text"), Path("tallat.docx")});
        QVERIFY(refused.waitForFinished(60000));
        QCOMPARE(refused.exitCode(), 1);
        QVERIFY(refused.readAllStandardOutput().isEmpty());
        QVERIFY(refused.readAllStandardError().startsWith("tolvanet-tool text: tallat.docx: "));
    }

    // A locked PDF opens with the password in a file; a wrong one is said, in English.
    void toolOpensALockedPdfWithItsPasswordFile()
    {
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool");
        QCOMPARE(QProcess::execute(QStringLiteral("qpdf"), {"--encrypt", "clau secreta", "clau secreta", "256", "--",
                                                            Path("fitxa.pdf"), Path("clau.pdf")}),
                 0);
        QVERIFY(WriteBytes(Path("bona.txt"), "clau secreta\n"));
        QVERIFY(WriteBytes(Path("dolenta.txt"), "clau\n"));
        const auto run = [&tool](const QStringList &arguments) {
            auto process = std::make_unique<QProcess>();
            process->start(tool, QStringList{QStringLiteral("text")} + arguments);
            process->waitForFinished(60000);
            return process;
        };
        const auto opened = run({QStringLiteral("--password-file"), Path("bona.txt"), Path("clau.pdf")});
        QCOMPARE(opened->exitCode(), 0);
        QCOMPARE(QString::fromUtf8(opened->readAllStandardOutput()), QString::fromUtf8(Samples::WorksheetText()));
        const auto wrong = run({QStringLiteral("--password-file"), Path("dolenta.txt"), Path("clau.pdf")});
        QCOMPARE(wrong->exitCode(), 1);
        QCOMPARE(wrong->readAllStandardError(),
                 QByteArray("tolvanet-tool text: clau.pdf: the password does not open the PDF document\n"));
        const auto none = run({Path("clau.pdf")});
        QCOMPARE(none->exitCode(), 1);
        QVERIFY(none->readAllStandardError().contains("protected by a password"));
        const auto missing = run({QStringLiteral("--password-file"), Path("cap.txt"), Path("clau.pdf")});
        QCOMPARE(missing->exitCode(), 2);
    }
};

QTEST_MAIN(TestConversion)
#include "test_conversion.moc"
