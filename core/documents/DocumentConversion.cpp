#include "core/documents/DocumentConversion.h"

#include "core/ToolCommandLine.h"
#include "core/documents/DocumentReaders.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

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
    if (extension == QLatin1String("htm") || extension == QLatin1String("html") || extension == QLatin1String("xhtml"))
        return DocumentKind::Html;
    if (extension != QLatin1String("txt") && StartsAsHtml(head))
        return DocumentKind::Html;
    static const QStringList kConverted = {"pdf", "docx", "odt", "epub", "rtf"};
    if (kConverted.contains(extension))
        return DocumentKind::Mislabeled;
    return DocumentKind::PlainText;
}

QString SuggestedTextName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt"));
}

ConvertedDocument ConvertDocument(const QString &fileName, const ConversionControl &control)
{
    ConvertedDocument result;
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
    case DocumentKind::Mislabeled:
        read.problem = DocumentProblem::Mislabeled;
        read.error = QStringLiteral("its content is not a %1 document").arg(Extension(fileName).toUpper());
        break;
    case DocumentKind::PlainText:
        read.problem = DocumentProblem::PlainText;
        read.error = QStringLiteral("it is a plain-text file");
        break;
    }
    result.cancelled = read.cancelled;
    if (read.cancelled)
        return result;
    if (!read.ok) {
        result.problem = read.problem;
        result.detail = read.problem == DocumentProblem::Mislabeled ? Extension(fileName).toUpper() : read.error;
        result.error = QStringLiteral("%1: %2").arg(shown, read.error);
        return result;
    }
    if (read.text.trimmed().isEmpty()) {
        result.problem = read.kindName == QLatin1String("PDF") ? DocumentProblem::Scanned : DocumentProblem::NoText;
        result.error = ConversionErrorText(fileName, result.problem, QString(), kEnglishLanguage);
        return result;
    }
    result.ok = true;
    result.text = read.text;
    result.pages = read.pages;
    result.origin = OriginText(fileName, read.pages, 0);
    return result;
}

QString ReadAnyDocumentText(const QString &fileName, QString *error, const QByteArray &password)
{
    if (fileName.isEmpty() || KindOfDocument(fileName) == DocumentKind::PlainText)
        return ReadToolDocument(fileName, error);
    ConversionControl control;
    control.password = password;
    const ConvertedDocument converted = ConvertDocument(fileName, control);
    if (!converted.ok)
        *error = converted.error;
    return converted.text;
}
