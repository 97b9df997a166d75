#include "tolvanet-tool/TextVerb.h"

#include "core/ToolCommandLine.h"
#include "core/WholeFiles.h"
#include "core/documents/DocumentConversion.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

constexpr int kBadUsage = 2;
// A password file holds a line, not a document.
constexpr qint64 kLargestPasswordFile = 64 * 1024;

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The password is the file's bytes without the one line break an editor ends it with;
// blanks are part of it.
QByteArray PasswordIn(const QByteArray &bytes)
{
    QByteArray password = bytes;
    if (password.endsWith('\n'))
        password.chop(1);
    if (password.endsWith('\r'))
        password.chop(1);
    return password;
}

} // namespace

int RunTextVerb(const QStringList &arguments)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("text");
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("the document");
    line.description = QStringLiteral("Prints the text of a document (PDF, DOCX, ODT, EPUB, RTF, HTML, a picture "
                                      "or plain text) as the editor opens it.");
    line.options << QCommandLineOption(QStringLiteral("password-file"),
                                       QStringLiteral("The file whose first line is the password of a locked PDF."),
                                       QStringLiteral("F"));
    line.options << QCommandLineOption(QStringLiteral("ocr-languages"),
                                       QStringLiteral("The languages scanned pages and pictures are read in, "
                                                      "Tesseract's codes joined with '+' (default cat+spa)."),
                                       QStringLiteral("LANGS"));
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        Print(stderr, QStringLiteral("tolvanet-tool text: one FILE is needed\nTry 'tolvanet-tool text --help'.\n"));
        return kBadUsage;
    }
    QByteArray password;
    if (parser.isSet(QStringLiteral("password-file"))) {
        const WholeFiles::ReadResult read
            = WholeFiles::ReadRegularFile(parser.value(QStringLiteral("password-file")), kLargestPasswordFile);
        if (!read.ok) {
            Print(stderr, QStringLiteral("tolvanet-tool text: --password-file: %1\n").arg(read.error));
            return kBadUsage;
        }
        password = PasswordIn(read.bytes);
    }
    QString error;
    const QString text = ReadAnyDocumentText(files.first(), &error, password,
                                            parser.value(QStringLiteral("ocr-languages")));
    if (!error.isEmpty()) {
        Print(stderr, QStringLiteral("tolvanet-tool text: %1\n").arg(error));
        return 1;
    }
    Print(stdout, text);
    return 0;
}
