// The reading view's cost: in a 10 MB document, the time of a key typed and of a page
// scrolled until the text is painted, with line focus, spacing and syllables all on
// beside all off (in turn, so that both meet the same load); and F7 to its first sound at
// the test sound server's null sink with the view on and off. The targets: on within
// 1.3 times off for typing and scrolling, and within 5 ms of off for F7.
#include "HeardAtTheSink.h"

#include "app/view/ReadingView.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "benchmarks/CNumbers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTest>

using HeardAtTheSink::FirstSound;
using HeardAtTheSink::Percentile;
using HeardAtTheSink::Report;

namespace
{
constexpr int kRuns = 40;

void SetView(ReadingView &view, bool on)
{
    view.SetFocusLines(on ? 3 : 0);
    view.SetLineSpacing(on ? 200 : 100);
    view.SetLetterSpacing(on ? 20 : 0);
    view.SetWordSpacing(on ? 50 : 0);
    view.SetSyllables(on);
    view.SetWideCaret(on);
}

// Microseconds from the key to the viewport painted with its effect.
qint64 KeyToPaint(EditorWidget *edit, Qt::Key key)
{
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(edit, key);
    edit->viewport()->repaint();
    return timer.nsecsElapsed() / 1000;
}

QString TenMegabytes()
{
    const QString line = QStringLiteral("El gat menja peix a la cuina cada matí, tranquil·lament i sense pressa.\n");
    QString text;
    text.reserve(10 * 1024 * 1024 + line.size());
    while (text.size() < 10 * 1024 * 1024)
        text += line;
    return text;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FiguresInTheCLocale();
    QTemporaryDir dir;
    auto windows = HeardAtTheSink::StartEditor(dir, "RESSALTAR=SI\r\n");
    if (!windows)
        return 1;
    windows->main->resize(900, 700);
    windows->main->show();
    EditorWidget *edit = windows->main->Edit();
    edit->setFocus();
    ReadingView &view = *windows->readingView;
    edit->setPlainText(TenMegabytes());
    QTextCursor middle(edit->document()->findBlockByNumber(edit->document()->blockCount() / 2));
    edit->setTextCursor(middle);
    edit->centerCursor();

    QList<qint64> typing[2];
    QList<qint64> scrolling[2];
    for (int i = 0; i < 2 * kRuns; ++i) {
        const bool on = i % 2 == 1;
        SetView(view, on);
        edit->viewport()->repaint();
        typing[on] << KeyToPaint(edit, Qt::Key_A);
        // Down a page and back, over the same lines for both.
        scrolling[on] << KeyToPaint(edit, Qt::Key_PageDown) << KeyToPaint(edit, Qt::Key_PageUp);
    }
    std::printf("10 MB document, %d runs each, microseconds from the key to the text painted:\n", kRuns);
    Report("a key typed, view off (yardstick)", typing[0], "us");
    Report("a key typed, line focus, spacing and syllables on", typing[1], "us");
    Report("a page scrolled, view off (yardstick)", scrolling[0], "us");
    Report("a page scrolled, line focus, spacing and syllables on", scrolling[1], "us");
    std::printf("ratio on/off at p50: typing %.2f, scrolling %.2f (target 1.30)\n",
                double(Percentile(typing[1], 50)) / qMax<qint64>(1, Percentile(typing[0], 50)),
                double(Percentile(scrolling[1], 50)) / qMax<qint64>(1, Percentile(scrolling[0], 50)));

    SinkMonitor monitor;
    if (!HeardAtTheSink::Listening(monitor)) {
        std::printf("F7 to first sound: not measured, no sound server\n");
    } else {
        edit->setPlainText(QStringLiteral("Bon dia a tothom, el gat dorm al sofà de la sala."));
        QList<qint64> readAll[2];
        for (int i = 0; i < 2 * 10; ++i) {
            const bool on = i % 2 == 1;
            SetView(view, on);
            const qint64 ms = FirstSound(monitor, [&] { QTest::keyClick(edit, Qt::Key_F7); });
            QTest::keyClick(edit, Qt::Key_F11);
            if (ms >= 0)
                readAll[on] << ms;
        }
        std::printf("F7 to first sound at the null sink, Catalan espeak-ng voice:\n");
        Report("view off (yardstick)", readAll[0]);
        Report("line focus, spacing and syllables on", readAll[1]);
    }
    SetView(view, false);
    windows->main->Document().SetModified(false);
    windows->main->close();
    return 0;
}
