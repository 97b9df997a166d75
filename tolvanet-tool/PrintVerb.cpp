#include "tolvanet-tool/PrintVerb.h"

#include "app/DocumentPrinting.h"
#include "app/EditorFont.h"
#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>

namespace {

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int RunPrintVerb(const QStringList &arguments, const AppPaths &paths)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("print");
    line.description = QStringLiteral(
        "Prints the document as the editor's \"Imprimir\" prints it, in the editor font of the settings\n"
        "file at the size the screen shows it, to OUT.pdf or else to the default printer.");
    line.options = {{QStringLiteral("pdf"), QStringLiteral("Writes the pages to this PDF file instead of a printer."),
                     QStringLiteral("OUT.pdf")}};
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("The document; standard input when none is given.");
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    const QString pdf = parser.value(QStringLiteral("pdf"));
    if (parser.isSet(QStringLiteral("pdf")) && pdf.isEmpty()) {
        Print(stderr, QStringLiteral("tolvanet-tool print: wrong value '' of --pdf: a file name is needed\n"
                                     "Try 'tolvanet-tool print --help'.\n"));
        return kBadUsageStatus;
    }

    QString error;
    const QString file = parser.positionalArguments().value(0);
    const QString document = ReadAnyDocumentText(file, &error);
    if (!error.isEmpty()) {
        Print(stderr, QStringLiteral("tolvanet-tool print: %1\n").arg(error));
        return 1;
    }

    // The editor's font as the window applies it at start.
    EditorFontChoice choice;
    choice.font = DesignEditorFont();
    QStringList problems;
    ReadEditorFont(SettingsStore(paths.settingsFile), choice, &problems);
    if (!problems.isEmpty())
        Print(stderr, QStringLiteral("tolvanet-tool print: %1: values that are not numbers in \"Font Missatge\" (%2); "
                                     "the default is used.\n")
                          .arg(paths.settingsFile, problems.join(QStringLiteral(", "))));

    QPrinter printer(QPrinter::HighResolution);
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        // A PDF for a printer that is not known: A4, the paper of the schools it is for.
        printer.setPageSize(QPageSize(QPageSize::A4));
        QFile probe(pdf);
        if (!probe.open(QIODevice::WriteOnly)) {
            Print(stderr, QStringLiteral("tolvanet-tool print: cannot write %1: %2\n").arg(pdf, probe.errorString()));
            return 1;
        }
        probe.close();
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        Print(stderr, QStringLiteral("tolvanet-tool print: there is no default printer; --pdf OUT.pdf writes a PDF\n"));
        return 1;
    }
    PrintDocumentText(document, choice.font, kStandardScreenDpi, &printer);
    if (!pdf.isEmpty() && QFileInfo(pdf).size() == 0) {
        Print(stderr, QStringLiteral("tolvanet-tool print: nothing was written to %1\n").arg(pdf));
        return 1;
    }
    return 0;
}
