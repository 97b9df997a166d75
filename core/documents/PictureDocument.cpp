#include "core/documents/DocumentReaders.h"
#include "core/documents/LeptonicaPix.h"
#include "core/documents/PageRecognition.h"

#include <QFile>
#include <QImageReader>

#include <atomic>
#include <cctype>
#include <cstdio>

namespace {

// A TIFF with more pages than this is refused: each page takes a recogniser some seconds.
constexpr int kMostPicturePages = 200;

// The decoded picture as 8-bit grey, which is all the recogniser looks at.
QImage GreyImage(PIX *decoded)
{
    const PixPtr grey(pixConvertTo8(decoded, 0));
    if (!grey)
        return QImage();
    const int width = int(pixGetWidth(grey.get()));
    const int height = int(pixGetHeight(grey.get()));
    QImage image(width, height, QImage::Format_Grayscale8);
    if (image.isNull())
        return image;
    const l_uint32 *data = pixGetData(grey.get());
    const int wordsPerLine = pixGetWpl(grey.get());
    for (int y = 0; y < height; ++y) {
        const l_uint32 *line = data + qsizetype(y) * wordsPerLine;
        uchar *target = image.scanLine(y);
        for (int x = 0; x < width; ++x)
            target[x] = uchar(GET_DATA_BYTE(line, x));
    }
    return image;
}

// A JPEG or PNG cut short decodes as far as it goes: the reader is told it is incomplete.
bool EndsEarly(const QString &fileName, int format)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16)
        return true;
    file.seek(file.size() - 16);
    const QByteArray tail = file.read(16);
    if (format == IFF_JFIF_JPEG)
        return !tail.contains("\xFF\xD9");
    if (format == IFF_PNG)
        return !tail.contains("IEND");
    return false;
}

// A JPEG with damaged data gives what it could decode, as a viewer shows it.
PIX *Decode(const QByteArray &path, l_int32 format, int tiffPage)
{
    if (tiffPage >= 0)
        return pixReadTiff(path.constData(), tiffPage);
    if (format == IFF_JFIF_JPEG) {
        l_int32 warnings = 0;
        return pixReadJpeg(path.constData(), 0, 1, &warnings, L_JPEG_CONTINUE_WITH_BAD_DATA);
    }
    return pixRead(path.constData());
}

QString SizeRefusal(l_int32 width, l_int32 height)
{
    return QStringLiteral("the picture claims %1 × %2 pixels, more than the %3 MB a picture may take once decoded")
        .arg(width).arg(height).arg(kMostDecodedBytes / (1024 * 1024));
}

bool TooLarge(l_int32 width, l_int32 height)
{
    return width <= 0 || height <= 0 || qint64(width) * qint64(height) * 4 > kMostDecodedBytes;
}

} // namespace

bool StartsAsPicture(const QByteArray &head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n") || head.startsWith("\xFF\xD8\xFF") || head.startsWith("II*\0")
        || head.startsWith(QByteArray("MM\0*", 4)) || (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP"))
        return true;
    // BMP: "BM", then a header size that only BMP files have.
    if (head.size() >= 18 && head.startsWith("BM")) {
        const uchar headerSize = uchar(head[14]);
        return head[6] == 0 && head[7] == 0 && head[8] == 0 && head[9] == 0
            && (headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108
                || headerSize == 124)
            && head[15] == 0 && head[16] == 0 && head[17] == 0;
    }
    // PNM: "P1" to "P6", a blank, then the width's digits (or a comment).
    if (head.size() >= 4 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6'
        && QByteArray(" \t\r\n").contains(head[2])) {
        const QByteArray rest = head.mid(3).trimmed();
        return !rest.isEmpty() && (std::isdigit(uchar(rest[0])) || rest[0] == '#');
    }
    return false;
}

// The pages of a TIFF file; 0, with outcome saying why, when they cannot be counted or
// are too many.
static int TiffPageCount(const QByteArray &path, ReaderOutcome &outcome)
{
    FILE *stream = fopenReadStream(path.constData());
    l_int32 count = 0;
    if (!stream || tiffGetCount(stream, &count) != 0 || count <= 0) {
        if (stream)
            fclose(stream);
        outcome.error = QStringLiteral("it is not a readable picture (damaged or incomplete)");
        return 0;
    }
    fclose(stream);
    if (count > kMostPicturePages) {
        outcome.error = QStringLiteral("it holds %1 pictures; at most %2 are read").arg(count).arg(kMostPicturePages);
        return 0;
    }
    return count;
}

ReaderOutcome ReadPictureText(const QString &fileName, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("picture");
    outcome.picture = true;
    setMsgSeverity(L_SEVERITY_NONE); // a damaged file is told once, by us
    const QByteArray path = QFile::encodeName(fileName);
    l_int32 format = 0, width = 0, height = 0, bits = 0, samples = 0, colormap = 0;
    if (pixReadHeader(path.constData(), &format, &width, &height, &bits, &samples, &colormap) != 0) {
        // Leptonica refuses some headers it thinks absurd; Qt's reader still tells the size claimed.
        const QSize claimed = QImageReader(fileName).size();
        outcome.error = claimed.isValid() && TooLarge(claimed.width(), claimed.height())
            ? SizeRefusal(claimed.width(), claimed.height())
            : QStringLiteral("it is not a readable picture (damaged or incomplete)");
        return outcome;
    }
    const bool tiff = L_FORMAT_IS_TIFF(format);
    const int pages = tiff ? TiffPageCount(path, outcome) : 1;
    if (pages <= 0)
        return outcome;

    PagesInOrder inOrder(pages, control.settled);
    RecognitionPool pool(control.recognisers.isEmpty() ? DefaultRecognisers() : control.recognisers, control.cancelled);
    std::atomic<int> done{0};
    pool.SetPageDone([&done, &control, &inOrder, &pool, pages](int index) {
        inOrder.Add(index, pool.Result(index).page);
        if (control.progress)
            control.progress(++done, pages);
    });
    if (control.progress)
        control.progress(0, pages);
    for (int page = 0; page < pages; ++page) {
        if (control.cancelled && control.cancelled())
            break;
        if (tiff) {
            l_int32 resolution = 0, pageFormat = 0;
            if (readHeaderTiff(path.constData(), page, &width, &height, &bits, &samples, &resolution, &colormap,
                               &pageFormat) != 0) {
                outcome.error = QStringLiteral("picture %1 of %2 is damaged").arg(page + 1).arg(pages);
                return outcome;
            }
        }
        if (TooLarge(width, height)) {
            outcome.error = pages > 1 ? QStringLiteral("picture %1 of %2: %3").arg(page + 1).arg(pages).arg(SizeRefusal(width, height))
                                      : SizeRefusal(width, height);
            return outcome;
        }
        const PixPtr decoded(Decode(path, format, tiff ? page : -1));
        if (!decoded) {
            outcome.error = QStringLiteral("it is not a readable picture (damaged or incomplete)");
            return outcome;
        }
        const double dpi = pixGetXRes(decoded.get());
        pool.Add(page, GreyImage(decoded.get()), dpi);
    }
    if (!pool.Finish()) {
        outcome.cancelled = control.cancelled && control.cancelled();
        outcome.error = pool.Error();
        return outcome;
    }
    if (EndsEarly(fileName, format))
        outcome.notice = QStringLiteral("the picture is incomplete: it was read as far as it goes");
    QList<TextCleanup::Page> laid;
    for (int page = 0; page < pages; ++page) {
        const RecognisedPage read = pool.Result(page);
        laid.append(read.page);
        outcome.confidence.append(read.confidence);
    }
    outcome.text = TextCleanup::PagesToText(laid);
    outcome.pages = tiff ? pages : 0;
    outcome.ok = true;
    return outcome;
}

ReaderOutcome ReadPictureImage(const QImage &image, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("picture");
    outcome.picture = true;
    if (image.isNull() || TooLarge(image.width(), image.height())) {
        outcome.error = SizeRefusal(image.width(), image.height());
        return outcome;
    }
    PageRecogniser recogniser(control.recognisers.isEmpty() ? DefaultRecognisers() : control.recognisers);
    if (!recogniser.IsReady()) {
        outcome.error = recogniser.Error();
        return outcome;
    }
    // A picture copied from the screen is at the screen's resolution, well under a scan's:
    // the recogniser reads its small letters better twice as large.
    double dpi = image.dotsPerMeterX() * 0.0254;
    QImage page = image;
    if (dpi < 150 && !TooLarge(image.width() * 2, image.height() * 2)) {
        page = image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        dpi = dpi >= 70 ? dpi * 2 : 0;
    }
    const RecognisedPage read = recogniser.Recognise(page, dpi, control.cancelled);
    if (control.cancelled && control.cancelled()) {
        outcome.cancelled = true;
        return outcome;
    }
    outcome.text = TextCleanup::PagesToText({read.page});
    outcome.confidence.append(read.confidence);
    outcome.ok = true;
    return outcome;
}
