#include "core/documents/DocumentConversion.h"

#include "core/ToolCommandLine.h"
#include "core/documents/DocumentReaders.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

QString Extension(const QString &fileName)
{
    return QFileInfo(fileName).suffix().toLower();
}

bool StartsAsHtml(const QByteArray &head)
{
    QByteArray start = head;
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    start = start.trimmed().left(64).toLower();
    return start.startsWith("<!doctype html") || start.startsWith("<html");
}

} // namespace

DocumentKind KindOfDocument(const QString &fileName)
{
    QFile file(fileName);
    const QString extension = Extension(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        return DocumentKind::PlainText; // the text loader tells why it cannot be read
    const QByteArray head = file.read(1024);
    if (head.contains("%PDF-"))
        return DocumentKind::Pdf;
    if (head.startsWith("PK\x03\x04"))
        return DocumentKind::Zip;
    if (head.startsWith("{\\rtf"))
        return DocumentKind::Rtf;
    if (StartsAsPicture(head))
        return DocumentKind::Picture;
    if (extension == QLatin1String("htm") || extension == QLatin1String("html") || extension == QLatin1String("xhtml"))
        return DocumentKind::Html;
    if (extension != QLatin1String("txt") && StartsAsHtml(head))
        return DocumentKind::Html;
    static const QStringList kConverted = {"pdf", "docx", "odt", "epub", "rtf", "png", "jpg", "jpeg", "tif",
                                           "tiff", "webp", "bmp", "pnm", "pbm", "pgm", "ppm"};
    if (kConverted.contains(extension))
        return DocumentKind::Mislabeled;
    return DocumentKind::PlainText;
}

QString SuggestedTextName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt"));
}

namespace {

ConvertedDocument Converted(const QString &shown, const ReaderOutcome &read);

} // namespace

ConvertedDocument RecognisePicture(const QImage &image, const ConversionControl &control)
{
    ConvertedDocument result = Converted(QString(), ReadPictureImage(image, control));
    if (result.error.startsWith(QLatin1String(": ")))
        result.error = result.error.mid(2); // no file to name
    return result;
}

ConvertedDocument ConvertDocument(const QString &fileName, const ConversionControl &control)
{
    const QString shown = QFileInfo(fileName).fileName();
    ReaderOutcome read;
    switch (KindOfDocument(fileName)) {
    case DocumentKind::Pdf:
        read = ReadPdfText(fileName, control);
        break;
    case DocumentKind::Zip:
        read = ReadPackageText(fileName, control);
        break;
    case DocumentKind::Rtf:
        read = ReadRtfText(fileName, control);
        break;
    case DocumentKind::Html:
        read = ReadThroughPandoc(fileName, "html", control);
        break;
    case DocumentKind::Picture:
        read = ReadPictureText(fileName, control);
        break;
    case DocumentKind::Mislabeled:
        read.problem = DocumentProblem::Mislabeled;
        read.error = QStringLiteral("its content is not a %1 document").arg(Extension(fileName).toUpper());
        break;
    case DocumentKind::PlainText:
        read.problem = DocumentProblem::PlainText;
        read.error = QStringLiteral("it is a plain-text file");
        break;
    }
    return Converted(shown, read);
}

namespace {

// The document a reader's outcome makes, titled and refused under the name shown.
ConvertedDocument Converted(const QString &shown, const ReaderOutcome &read)
{
    ConvertedDocument result;
    result.cancelled = read.cancelled;
    if (read.cancelled)
        return result;
    if (!read.ok) {
        result.problem = read.problem;
        result.detail = read.problem == DocumentProblem::Mislabeled ? Extension(shown).toUpper() : read.error;
        result.error = QStringLiteral("%1: %2").arg(shown, read.error);
        return result;
    }
    if (read.text.trimmed().isEmpty()) {
        if (read.picture)
            result.problem = DocumentProblem::NoTextInPicture;
        else if (read.confidence.contains(-1) || read.confidence.isEmpty())
            result.problem = DocumentProblem::NoText;
        else
            result.problem = DocumentProblem::Scanned;
        result.error = ConversionErrorText(shown, result.problem, QString(), kEnglishLanguage);
        return result;
    }
    result.ok = true;
    result.picture = read.picture;
    result.text = read.text;
    result.pages = read.pages;
    result.notice = read.notice;
    int sum = 0;
    for (qsizetype page = 0; page < read.confidence.size(); ++page) {
        const int confidence = read.confidence[page];
        if (confidence < 0)
            continue;
        ++result.recognisedPages;
        sum += confidence;
        if (confidence < 60)
            result.unsurePages.append(int(page) + 1);
    }
    if (result.recognisedPages > 0)
        result.confidence = int(std::lround(double(sum) / result.recognisedPages));
    result.origin = OriginText(shown, result, 0);
    return result;
}

} // namespace

QString ReadAnyDocumentText(const QString &fileName, QString *error, const QByteArray &password,
                            const QString &recognisers)
{
    if (fileName.isEmpty() || KindOfDocument(fileName) == DocumentKind::PlainText)
        return ReadToolDocument(fileName, error);
    ConversionControl control;
    control.password = password;
    control.recognisers = recognisers;
    const ConvertedDocument converted = ConvertDocument(fileName, control);
    if (!converted.ok)
        *error = converted.error;
    return converted.text;
}
