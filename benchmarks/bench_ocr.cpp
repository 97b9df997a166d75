// A 10-page scanned PDF read as text, beside pdftoppm -r 300 and the tesseract program
// on each page one after the other, in the same run; with the peak memory of the
// reading, and how long the first page alone takes. Run offscreen:
// QT_QPA_PLATFORM=offscreen bench_ocr
#include "core/documents/DocumentConversion.h"
#include "tests/common/ScannedPages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>

namespace {

// An A4 page at 300 dpi: 36 lines of 10-point text, a paragraph every nine lines.
QImage A4Page(int number)
{
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(42);
    painter.setFont(font);
    int y = 300;
    for (int line = 0; line < 36; ++line) {
        painter.drawText(QPointF(250, y), QStringLiteral("La pàgina %1 explica que el col·legi obre les portes a les nou i tanca a les cinc.")
                                              .arg(number));
        y += line % 9 == 8 ? 130 : 75;
    }
    painter.end();
    return page;
}

// Child mode: reads the PDF and prints seconds and peak memory in kilobytes.
int ConvertOnly(const QString &pdf)
{
    QElapsedTimer timer;
    timer.start();
    const ConvertedDocument document = ConvertDocument(pdf);
    const double seconds = timer.elapsed() / 1000.0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %ld %d\n", seconds, usage.ru_maxrss, document.ok ? 1 : 0);
    return document.ok ? 0 : 1;
}

struct Child
{
    double seconds = 0;
    long kilobytes = 0;
    bool ok = false;
};

Child RunChild(const QString &pdf)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--convert"), pdf});
    child.waitForFinished(-1);
    Child result;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() == 3) {
        result.seconds = fields[0].toDouble();
        result.kilobytes = fields[1].toLong();
        result.ok = fields[2] == "1";
    }
    return result;
}

// pdftoppm at 300 dpi, then tesseract on each page one after the other.
double Yardstick(const QString &pdf, const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), pdf,
                                                   QDir(folder).filePath(QStringLiteral("page"))});
    const QStringList pages = QDir(folder).entryList({QStringLiteral("page*.pgm")}, QDir::Files, QDir::Name);
    for (const QString &page : pages)
        QProcess::execute(QStringLiteral("tesseract"), {QDir(folder).filePath(page), QDir(folder).filePath(page + QStringLiteral(".out")),
                                                        QStringLiteral("-l"), QStringLiteral("cat+spa")});
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--convert"))
        return ConvertOnly(arguments[2]);

    QTemporaryDir dir;
    std::vector<QImage> pages;
    for (int page = 1; page <= 10; ++page)
        pages.push_back(A4Page(page));
    const QString pdf = dir.filePath(QStringLiteral("escanejat.pdf"));
    const QString first = dir.filePath(QStringLiteral("primera.pdf"));
    if (!Scans::WriteScannedPdf(pdf, pages) || !Scans::WriteScannedPdf(first, {pages.front()})) {
        std::fprintf(stderr, "cannot write the scanned PDF\n");
        return 1;
    }
    std::printf("A 10-page scanned PDF at 300 dpi (%lld KB), %d cores:\n", QFileInfo(pdf).size() / 1024,
                QThread::idealThreadCount());
    const Child ours = RunChild(pdf);
    QTemporaryDir scratch;
    const double yardstick = Yardstick(pdf, scratch.path());
    std::printf("  opened as text:                    %7.2f s  peak memory %ld MB%s\n", ours.seconds,
                ours.kilobytes / 1024, ours.ok ? "" : "  (FAILED)");
    std::printf("  pdftoppm -r 300 + tesseract/page:  %7.2f s\n", yardstick);
    std::printf("  ratio: %.2f (target at most 0.7); memory target under 600 MB\n",
                yardstick > 0 ? ours.seconds / yardstick : 0.0);

    // The text is in the window when the whole document is read; one page alone is the yardstick.
    const Child one = RunChild(first);
    std::printf("  one page alone:                    %7.2f s\n", one.seconds);
    std::printf("  the document opens (F7 can be pressed) after %.2f s = %.2f x one page (target 1.5)\n",
                ours.seconds, one.seconds > 0 ? ours.seconds / one.seconds : 0.0);
    return ours.ok && one.ok ? 0 : 1;
}
