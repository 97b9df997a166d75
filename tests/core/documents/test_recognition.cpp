#include "core/documents/DocumentConversion.h"
#include "core/documents/PageRecognition.h"
#include "tests/common/ScannedPages.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <allheaders.h>
#include <zlib.h>

// Pictures and scanned pages made here, read back by the recogniser word for word.
class TestRecognition : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

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

    static QStringList Catalan()
    {
        return {QStringLiteral("L'àvia de la Núria va a la plaça amb el gat."),
                QStringLiteral("El col·legi obre les portes a les nou del matí."),
                QStringLiteral("Els nens llegeixen contes i aprenen a escriure.")};
    }
    static QStringList Spanish()
    {
        return {QStringLiteral("El niño pequeño come una manzana."), QStringLiteral("La señora compró pan y leche.")};
    }

    // A little-endian TIFF of `count` one-pixel pages sharing one byte of pixels.
    static QByteArray ManyPageTiff(quint32 count)
    {
        QByteArray bytes("II*\0\x08\0\0\0", 8);
        auto put16 = [&bytes](quint16 v) { bytes.append(char(v & 0xFF)).append(char(v >> 8)); };
        auto put32 = [&](quint32 v) { put16(quint16(v & 0xFFFF)); put16(quint16(v >> 16)); };
        const quint32 ifdSize = 2 + 8 * 12 + 4;
        const quint32 pixels = 8 + count * ifdSize;
        for (quint32 page = 0; page < count; ++page) {
            put16(8);
            const quint32 entries[8][3] = {{256, 3, 1}, {257, 3, 1}, {258, 3, 1}, {259, 3, 1},
                                           {262, 3, 1}, {273, 4, pixels}, {278, 3, 1}, {279, 4, 1}};
            for (const auto &entry : entries) {
                put16(quint16(entry[0]));
                put16(quint16(entry[1]));
                put32(1);
                entry[1] == 3 ? (put16(quint16(entry[2])), put16(0)) : put32(entry[2]);
            }
            put32(page + 1 < count ? 8 + (page + 1) * ifdSize : 0);
        }
        bytes.append('\0');
        return bytes;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    // Each way a page reaches the reader: the words come back, in reading order.
    void picturesReadBackWordForWord_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<double>("skew");
        QTest::addColumn<bool>("speckled");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("turn");
        QTest::newRow("PNG, skewed 4 degrees") << "fitxa.png" << "PNG" << Catalan() << 4.0 << false << 1 << 0;
        QTest::newRow("JPEG, speckled, named .txt") << "foto.txt" << "JPEG" << Spanish() << -2.0 << true << 1 << 0;
        QTest::newRow("BMP, two columns")
            << "columnes.bmp" << "BMP"
            << QStringList{QStringLiteral("La primera columna"), QStringLiteral("continua aquí sota."),
                           QStringLiteral("La segona columna"), QStringLiteral("ve després.")}
            << 0.0 << false << 2 << 0;
        QTest::newRow("PGM, turned on its side") << "girada.pgm" << "PGM" << Catalan() << 0.0 << false << 1 << 90;
    }
    void picturesReadBackWordForWord()
    {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(QStringList, lines);
        QFETCH(double, skew);
        QFETCH(bool, speckled);
        QFETCH(int, columns);
        QFETCH(int, turn);
        const QImage page = Scans::Page(lines, {skew, speckled, columns, turn});
        QVERIFY(page.save(Path(file), format.toLatin1().constData(), 80));
        QCOMPARE(KindOfDocument(Path(file)), DocumentKind::Picture);
        ConversionControl control;
        control.recognisers = QStringLiteral("cat+spa");
        const ConvertedDocument document = ConvertDocument(Path(file), control);
        QVERIFY2(document.ok, qPrintable(document.error));
        const QString expected = lines.join(QLatin1Char(' '));
        const double errors = Scans::WordErrorRate(expected, document.text);
        QVERIFY2(errors <= 0.1, qPrintable(QStringLiteral("%1 wrong: %2").arg(errors).arg(document.text)));
        QCOMPARE(document.origin, file);
        QCOMPARE(document.recognisedPages, 1);
        QVERIFY(document.confidence >= 60);
        QVERIFY(document.unsurePages.isEmpty());
    }

    // Typed pages keep their text layer, scanned ones are recognised; the order is the page order.
    void mixedPdfReadsInPageOrder()
    {
        const QString path = Path(QStringLiteral("mixta.pdf"));
        {
            QPdfWriter writer(path);
            writer.setResolution(300);
            writer.setPageSize(QPageSize(QSizeF(1370 / 300.0, 460 / 300.0), QPageSize::Inch));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter(&writer);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(42);
            painter.setFont(font);
            painter.drawText(QPointF(60, 120), QStringLiteral("Primera pàgina escrita amb lletres de veritat."));
            writer.newPage();
            painter.drawImage(QPointF(0, 0), Scans::Page(Catalan()));
        }
        int lastDone = 0;
        ConversionControl control;
        control.progress = [&lastDone](int done, int total) {
            QCOMPARE(total, 2);
            lastDone = std::max(lastDone, done);
        };
        const ConvertedDocument document = ConvertDocument(path, control);
        QVERIFY2(document.ok, qPrintable(document.error));
        QCOMPARE(lastDone, 2);
        QCOMPARE(document.origin, QStringLiteral("mixta.pdf, 2 pàgines, 1 reconeguda"));
        QVERIFY2(document.text.startsWith(QStringLiteral("Primera pàgina escrita amb lletres de veritat.")),
                 qPrintable(document.text));
        const QString scanned = document.text.section(QStringLiteral("veritat."), 1);
        QVERIFY2(Scans::WordErrorRate(Catalan().join(QLatin1Char(' ')), scanned) <= 0.1, qPrintable(document.text));
    }

    // Every page of a TIFF, and the command line's choice of languages.
    void toolReadsEveryPageOfATiff()
    {
        PIXA *pages = pixaCreate(2);
        for (const QStringList &lines : {Spanish(), QStringList{QStringLiteral("Segunda página del libro.")}}) {
            const QImage image = Scans::Page(lines).convertToFormat(QImage::Format_Grayscale8);
            PIX *pix = pixCreate(image.width(), image.height(), 8);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    pixSetPixel(pix, x, y, image.constScanLine(y)[x]);
            pixaAddPix(pages, pix, L_INSERT);
        }
        const QByteArray path = QFile::encodeName(Path(QStringLiteral("llibre.tif")));
        QCOMPARE(pixaWriteMultipageTiff(path.constData(), pages), 0);
        pixaDestroy(&pages);

        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool");
        QProcess run;
        run.start(tool, {QStringLiteral("text"), QStringLiteral("--ocr-languages"), QStringLiteral("spa"),
                         QString::fromLocal8Bit(path)});
        QVERIFY(run.waitForFinished(120000));
        QCOMPARE(run.exitCode(), 0);
        const QString text = QString::fromUtf8(run.readAllStandardOutput());
        const QString expected = Spanish().join(QLatin1Char(' ')) + QStringLiteral(" Segunda página del libro.");
        QVERIFY2(Scans::WordErrorRate(expected, text) <= 0.1, qPrintable(text));

        run.start(tool, {QStringLiteral("text"), QStringLiteral("--ocr-languages"), QStringLiteral("cat+xyz"),
                         QString::fromLocal8Bit(path)});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 1);
        QVERIFY(run.readAllStandardError().contains("tesseract-ocr-xyz is not installed"));
    }

    void badPicturesAreRefusedWithNameAndReason_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        // A PNG claiming 100 000 × 100 000 pixels, with the start of its pixel data.
        auto chunk = [](const QByteArray &type, const QByteArray &data) {
            const QByteArray body = type + data;
            const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
            QByteArray bytes;
            for (const quint32 value : {quint32(data.size()), crc})
                for (int shift = 24; shift >= 0; shift -= 8)
                    bytes.append(char((value >> shift) & 0xFF));
            return bytes.left(4) + body + bytes.mid(4);
        };
        const QByteArray huge = QByteArray("\x89PNG\r\n\x1a\n", 8)
            + chunk("IHDR", QByteArray("\x00\x01\x86\xa0\x00\x01\x86\xa0\x08\x02\x00\x00\x00", 13))
            + chunk("IDAT", QByteArray("\x78\x9c\x63\x60", 4)) + chunk("IEND", QByteArray());
        QVERIFY(WriteBytes(Path(QStringLiteral("enorme.png")), huge));
        const QImage page = Scans::Page(Catalan());
        QVERIFY(page.save(Path(QStringLiteral("sencera.png"))));
        const QByteArray png = Bytes(Path(QStringLiteral("sencera.png")));
        QVERIFY(WriteBytes(Path(QStringLiteral("tallada.png")), png.left(png.size() / 2)));
        QVERIFY(WriteBytes(Path(QStringLiteral("llarg.tif")), ManyPageTiff(10000)));
        // A photo of no text: soft blotches of colour.
        QImage photo(600, 400, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(120 + x / 10, 160 + y / 8, 200 - (x + y) / 12));
        QVERIFY(photo.save(Path(QStringLiteral("paisatge.jpg"))));
        {
            QPdfWriter writer(Path(QStringLiteral("cartell.pdf")));
            writer.setPageSize(QPageSize(QSizeF(200, 200), QPageSize::Inch));
            QPainter painter(&writer);
            painter.fillRect(QRectF(0, 0, 100, 100), Qt::black);
        }
        QTest::newRow("picture claiming 100000 × 100000 pixels") << "enorme.png" << "claims 100000 × 100000 pixels";
        QTest::newRow("truncated PNG") << "tallada.png" << "damaged or incomplete";
        QTest::newRow("TIFF of 10000 pages") << "llarg.tif" << "it holds 10000 pictures";
        QTest::newRow("photo with no text") << "paisatge.jpg" << "no text was found in this picture";
        QTest::newRow("PDF page of 200 × 200 inches") << "cartell.pdf" << "page 1 measures 200 × 200 inches";
    }
    void badPicturesAreRefusedWithNameAndReason()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        const ConvertedDocument document = ConvertDocument(Path(file));
        QVERIFY(!document.ok);
        QVERIFY(document.text.isEmpty());
        QVERIFY2(document.error.startsWith(file + QStringLiteral(": ")), qPrintable(document.error));
        QVERIFY2(document.error.contains(reason), qPrintable(document.error));
    }

    // A JPEG cut short is read as far as it goes, and the reader is told so.
    void truncatedJpegIsReadInPart()
    {
        const QImage page = Scans::Page(Catalan() + Spanish());
        QVERIFY(page.save(Path(QStringLiteral("sencera.jpg")), "JPEG", 90));
        const QByteArray jpeg = Bytes(Path(QStringLiteral("sencera.jpg")));
        QVERIFY(WriteBytes(Path(QStringLiteral("tallada.jpg")), jpeg.left(jpeg.size() * 6 / 10)));
        const ConvertedDocument document = ConvertDocument(Path(QStringLiteral("tallada.jpg")));
        QVERIFY2(document.ok, qPrintable(document.error));
        QVERIFY2(document.text.startsWith(QStringLiteral("L'àvia")), qPrintable(document.text));
        QVERIFY2(document.notice.contains(QStringLiteral("incomplete")), qPrintable(document.notice));
    }

    // A picture copied to the clipboard is read at the screen's resolution; a blank one has no text.
    void copiedPictureIsRead()
    {
        const ConvertedDocument read = RecognisePicture(Scans::Page({QStringLiteral("Avui plou a Barcelona.")}));
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(Scans::Words(read.text), Scans::Words(QStringLiteral("Avui plou a Barcelona.")));
        QImage blank(400, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        const ConvertedDocument empty = RecognisePicture(blank);
        QVERIFY(!empty.ok);
        QCOMPARE(empty.problem, DocumentProblem::NoTextInPicture);
        QCOMPARE(empty.error, QStringLiteral("no text was found in this picture"));
    }

    void cancelLeavesNothing()
    {
        QVERIFY(Scans::Page(Catalan()).save(Path(QStringLiteral("cancel.png"))));
        ConversionControl control;
        control.cancelled = [] { return true; };
        const ConvertedDocument document = ConvertDocument(Path(QStringLiteral("cancel.png")), control);
        QVERIFY(document.cancelled);
        QVERIFY(!document.ok);
        QVERIFY(document.text.isEmpty());
    }

    // Text that merely begins like a picture's header stays text.
    void textIsNotTakenForAPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("BM") << QByteArray("BMW i Audi, cotxes alemanys de gamma alta.\n");
        QTest::newRow("P1") << QByteArray("P1 Introducció a la física.\n");
        QTest::newRow("II") << QByteArray("II. Segona part\n");
    }
    void textIsNotTakenForAPicture()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteBytes(Path(QStringLiteral("notes.txt")), bytes));
        QCOMPARE(KindOfDocument(Path(QStringLiteral("notes.txt"))), DocumentKind::PlainText);
    }

    void languagesFollowVoiceAndInterface()
    {
        QCOMPARE(RecognisersFor(QStringLiteral("es"), 0), QStringLiteral("spa+cat"));
        QCOMPARE(RecognisersFor(QStringLiteral("en-gb"), 6), QStringLiteral("eng+cat+spa+fra"));
        QCOMPARE(RecognisersFor(QString(), 1), QStringLiteral("cat+spa"));
    }
};

QTEST_MAIN(TestRecognition)
#include "test_recognition.moc"
