#include "tolvanet-tool/PrintVerb.h"

#include "app/documents/DocumentPrinting.h"
#include "app/window/EditorFont.h"
#include "core/SettingsStore.h"
#include "core/ToolCommandLine.h"
#include "core/WholeFiles.h"
#include "core/documents/DocumentConversion.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// A PDF written beside its target under a name of its own, and put in its place only
// once it is whole: a full disk or a printing that fails leaves the old file as it was.
class PdfBeside
{
public:
    static std::unique_ptr<PdfBeside> Start(const QString &target, QString *problem)
    {
        // Through a link, the file it points at is the one replaced.
        QFileInfo info(target);
        const QString real = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
        const WholeFiles::FileStamp old = WholeFiles::StampOf(real);
        if (old.exists && !QFileInfo(real).isFile()) {
            *problem = QStringLiteral("cannot write %1: it is not a regular file").arg(target);
            return nullptr;
        }
        std::unique_ptr<PdfBeside> pages(new PdfBeside(real));
        pages->m_temporary.setFileTemplate(QFileInfo(real).absolutePath() + QStringLiteral("/.")
                                          + QFileInfo(real).fileName() + QStringLiteral(".XXXXXX"));
        if (!pages->m_temporary.open()) {
            *problem = QStringLiteral("cannot write %1: %2").arg(target, pages->m_temporary.errorString());
            return nullptr;
        }
        pages->m_temporary.close();
        // The new file gets the old one's permissions, or those a new file gets.
        if (old.exists) {
            pages->m_temporary.setPermissions(QFile::permissions(real));
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(QFile::encodeName(pages->m_temporary.fileName()).constData(), 0666 & ~mask);
        }
        return pages;
    }

    QString TemporaryName() const { return m_temporary.fileName(); }

    // Checks that the pages reached the disk whole, then renames them over the target.
    bool Finish(QString *problem)
    {
        QFile written(m_temporary.fileName());
        const qint64 size = written.size();
        QByteArray tail;
        if (written.open(QIODevice::ReadOnly)) {
            written.seek(qMax<qint64>(0, size - 64));
            tail = written.readAll();
        }
        const bool whole = size > 0 && tail.trimmed().endsWith("%%EOF") && written.error() == QFileDevice::NoError
                           && ::fsync(written.handle()) == 0;
        written.close();
        if (!whole) {
            // The room a whole copy would need is not known; what was written is the least.
            const QString full = WholeFiles::DiskFullReason(m_target, size + 4096);
            *problem = QStringLiteral("nothing was written to %1: %2")
                           .arg(m_target, full.isEmpty() ? QStringLiteral("the PDF could not be written whole") : full);
            return false;
        }
        if (::rename(QFile::encodeName(m_temporary.fileName()).constData(), QFile::encodeName(m_target).constData())
            != 0) {
            *problem = QStringLiteral("cannot write %1: %2").arg(m_target, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_temporary.setAutoRemove(false);
        return true;
    }

private:
    explicit PdfBeside(const QString &target) : m_target(target) {}

    QString m_target;
    QTemporaryFile m_temporary;
};

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
    std::unique_ptr<PdfBeside> pages;
    if (!pdf.isEmpty()) {
        QString problem;
        pages = PdfBeside::Start(pdf, &problem);
        if (!pages) {
            Print(stderr, QStringLiteral("tolvanet-tool print: %1\n").arg(problem));
            return 1;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pages->TemporaryName());
        // A PDF for a printer that is not known: A4, the paper of the schools it is for.
        printer.setPageSize(QPageSize(QPageSize::A4));
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        Print(stderr, QStringLiteral("tolvanet-tool print: there is no default printer; --pdf OUT.pdf writes a PDF\n"));
        return 1;
    }
    PrintDocumentText(document, choice.font, kStandardScreenDpi, &printer);
    if (pages) {
        QString problem;
        if (!pages->Finish(&problem)) {
            Print(stderr, QStringLiteral("tolvanet-tool print: %1\n").arg(problem));
            return 1;
        }
    }
    return 0;
}
