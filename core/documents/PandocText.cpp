#include "core/documents/DocumentReaders.h"
#include "core/documents/MarkupText.h"
#include "core/documents/TextCleanup.h"

#include "core/TextEncoding.h"
#include "core/WholeFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

void FillFromXhtml(const QByteArray &xhtml, ReaderOutcome &outcome)
{
    TextCollector collector;
    const MarkupOutcome markup = ReadXhtml(xhtml, collector);
    if (!markup.ok) {
        outcome.error = markup.error;
        return;
    }
    outcome.text = TextCleanup::JoinParagraphs(collector.Paragraphs());
    outcome.ok = true;
}

namespace {

// pandoc reads the document and writes it again as XHTML, which the markup reader
// takes like an e-book chapter. Raw markup it cannot place is left out.
constexpr int kTimeLimitMs = 120000;

} // namespace

ReaderOutcome ReadThroughPandoc(const QString &fileName, const char *format, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QString::fromLatin1(format).toUpper();
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty()) {
        outcome.problem = DocumentProblem::ReaderMissing;
        outcome.error = QStringLiteral("pandoc, which reads %1 documents, is not installed").arg(outcome.kindName);
        return outcome;
    }
    WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(fileName);
    if (!read.ok) {
        outcome.error = read.error;
        return outcome;
    }
    // pandoc takes UTF-8 only; a page in Windows-1252 is given to it as UTF-8.
    const QByteArray input = TextEncoding::DecodeAuto(read.bytes).toUtf8();
    const QString from = qstrcmp(format, "html") == 0 ? QStringLiteral("html-raw_html") : QString::fromLatin1(format);

    QProcess process;
    process.setProgram(pandoc);
    process.setArguments({QStringLiteral("--from=") + from, QStringLiteral("--to=html5"), QStringLiteral("--wrap=none")});
    process.start();
    if (!process.waitForStarted(10000)) {
        outcome.error = QStringLiteral("pandoc could not be started (%1)").arg(process.errorString());
        return outcome;
    }
    process.write(input);
    process.closeWriteChannel();
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(100);
        output += process.readAllStandardOutput();
        if ((control.cancelled && control.cancelled()) || clock.elapsed() > kTimeLimitMs) {
            const bool cancelled = control.cancelled && control.cancelled();
            process.kill();
            process.waitForFinished(5000);
            outcome.cancelled = cancelled;
            outcome.error = QStringLiteral("pandoc took longer than %1 s").arg(kTimeLimitMs / 1000);
            return outcome;
        }
    }
    output += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString why = QString::fromUtf8(process.readAllStandardError()).simplified().left(200);
        outcome.error = QStringLiteral("it is damaged or not %1 (%2)").arg(outcome.kindName, why.isEmpty() ? QStringLiteral("pandoc failed") : why);
        return outcome;
    }
    FillFromXhtml("<body>" + output + "</body>", outcome);
    return outcome;
}
