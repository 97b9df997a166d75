// A 10-page scanned PDF read as text, beside pdftoppm -r 300 and the tesseract program
// on each page one after the other, in the same run; with the peak memory of the
// reading; and, opened in the window with F7 pressed as soon as it opens, how long
// until the first words of page 1 are heard, beside how long the first page alone
// takes to read. Needs a sound server with a null sink named nullsink (test.sh starts
// one); run offscreen: QT_QPA_PLATFORM=offscreen bench_ocr
#include "HeardAtTheSink.h"

#include "app/documents/DocumentCommands.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "benchmarks/CNumbers.h"
#include "core/documents/DocumentConversion.h"
#include "tests/common/ScannedPages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

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

// Child mode: the window opens the PDF, F7 is pressed as soon as it opens; prints the
// milliseconds from the open to the first sound at the null sink, then whether the
// later pages were still coming then.
int HeardOnly(const QString &pdf)
{
    SinkMonitor monitor;
    if (!HeardAtTheSink::Listening(monitor))
        return 1;
    QTemporaryDir dir;
    const std::unique_ptr<ProgramWindows> windows = HeardAtTheSink::StartEditor(dir, QByteArray());
    if (!windows)
        return 1;
    FormPrincipal &main = *windows->main;
    main.Edit()->setFocus();
    monitor.WaitForSilence(300, 10000);
    monitor.Clear();
    const qint64 start = monitor.NowMs();
    if (!main.LoadCommandLineFile(pdf))
        return 1;
    QTest::keyClick(main.Edit(), Qt::Key_F7);
    const bool coming = main.Documents().PagesComing();
    if (!monitor.WaitForSound(30000))
        return 1;
    std::printf("%lld %d\n", static_cast<long long>(monitor.FirstSoundMs() - start), coming ? 1 : 0);
    QTest::keyClick(main.Edit(), Qt::Key_F11);
    main.Documents().StopPagesComing();
    QTest::qWaitFor([&main] { return !main.Documents().PagesComing(); }, 60000);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    FiguresInTheCLocale();
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--convert"))
        return ConvertOnly(arguments[2]);
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--heard"))
        return HeardOnly(arguments[2]);

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

    // The window opens the document with its first page; F7 then reads it.
    const Child one = RunChild(first);
    std::printf("  one page alone:                    %7.2f s\n", one.seconds);
    QProcess heard;
    heard.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--heard"), pdf});
    heard.waitForFinished(-1);
    const QList<QByteArray> fields = heard.readAllStandardOutput().trimmed().split(' ');
    const double firstWords = fields.size() == 2 ? fields[0].toDouble() / 1000.0 : -1;
    if (firstWords < 0) {
        std::printf("  first words of page 1: not heard (FAILED)\n");
        return 1;
    }
    std::printf("  first words of page 1 heard (F7 as soon as it opens) after %.2f s = %.2f x one page (target 1.5)%s\n",
                firstWords, one.seconds > 0 ? firstWords / one.seconds : 0.0,
                fields[1] == "1" ? ", later pages still being read" : "");
    return ours.ok && one.ok ? 0 : 1;
}
