// Opening a 300-page PDF novel in the window, beside pdftotext on the same file in the
// same run. Run offscreen: QT_QPA_PLATFORM=offscreen bench_documents
#include "app/window/MainWindow.h"
#include "benchmarks/CNumbers.h"
#include "core/SettingsStore.h"
#include "core/documents/DocumentConversion.h"
#include "tests/common/SampleDocuments.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// A novel: a running title and a page number on every page, 44 lines of prose each,
// a paragraph every eleven lines, a word broken at the end of every fifth line.
std::vector<Samples::PageLines> Novel(int pageCount)
{
    std::vector<Samples::PageLines> pages(static_cast<size_t>(pageCount));
    for (int p = 0; p < pageCount; ++p) {
        Samples::PageLines &page = pages[size_t(p)];
        page.push_back({60, 40, QStringLiteral("La nit dels temps · Novel·la")});
        page.push_back({290, 815, QString::number(p + 1)});
        double y = 80;
        for (int line = 0; line < 44; ++line) {
            QString text = QStringLiteral("Va caminar molta estona pel camí de la riera, pensant en tot allò que");
            if (line % 5 == 4)
                text += QStringLiteral(" contin-");
            page.push_back({60, y, text});
            y += (line % 11 == 10) ? 24 : 14;
        }
    }
    return pages;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    FiguresInTheCLocale();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("novel·la.pdf"));
    if (!Samples::WritePdf(pdf, Novel(300))) {
        std::fprintf(stderr, "cannot write the novel\n");
        return 1;
    }
    std::printf("A 300-page PDF novel (%lld KB), median of 5 runs each:\n", QFileInfo(pdf).size() / 1024);

    QList<double> window, conversion, pdftotext;
    for (int run = 0; run < 5; ++run) {
        {
            ScriptedQuestions ask;
            const AppPaths paths = AppPaths::InDirectory(dir.path());
            SettingsStore settings(paths.settingsFile);
            FormPrincipal main(paths, settings, nullptr, &ask);
            QElapsedTimer clock;
            clock.start();
            if (!main.LoadCommandLineFile(pdf) || !ask.messages.isEmpty()) {
                std::fprintf(stderr, "the window did not open the novel: %s\n", qPrintable(ask.messages.join(' ')));
                return 1;
            }
            window << clock.nsecsElapsed() / 1e6;
        }
        QElapsedTimer clock;
        clock.start();
        const ConvertedDocument converted = ConvertDocument(pdf);
        conversion << clock.nsecsElapsed() / 1e6;
        if (!converted.ok)
            return 1;

        clock.restart();
        if (QProcess::execute(QStringLiteral("pdftotext"), {pdf, dir.filePath(QStringLiteral("novel.txt"))}) != 0) {
            std::fprintf(stderr, "pdftotext failed\n");
            return 1;
        }
        pdftotext << clock.nsecsElapsed() / 1e6;
    }
    const double yardstick = Median(pdftotext);
    std::printf("  opened in the window (conversion and editor): %8.1f ms  (%.2f x pdftotext; target under 3000 ms and 1.5 x)\n",
                Median(window), Median(window) / yardstick);
    std::printf("  converted to clean text alone:                %8.1f ms  (%.2f x pdftotext)\n",
                Median(conversion), Median(conversion) / yardstick);
    std::printf("  pdftotext, the yardstick:                     %8.1f ms\n", yardstick);
    return 0;
}
