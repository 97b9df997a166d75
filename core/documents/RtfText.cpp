#include "core/documents/DocumentReaders.h"
#include "core/documents/MarkupText.h"
#include "core/documents/TextCleanup.h"

#include "core/WholeFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// AbiWord's RTF reader keeps the letters written as Unicode escapes (\u233? and the
// like), the tables and the notes; pandoc's drops the letter after each escape. It
// writes XHTML, which the markup reader takes like an e-book chapter.
constexpr int kTimeLimitMs = 120000;

} // namespace

ReaderOutcome ReadRtfText(const QString &fileName, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("RTF");
    const QString abiword = QStandardPaths::findExecutable(QStringLiteral("abiword"));
    if (abiword.isEmpty()) {
        outcome.problem = DocumentProblem::ReaderMissing;
        outcome.error = QStringLiteral("abiword, which reads RTF documents, is not installed");
        return outcome;
    }
    // Only a regular file of a size we hold is handed over: the same refusals as any document.
    const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(fileName);
    if (!read.ok) {
        outcome.error = read.error;
        return outcome;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        outcome.error = QStringLiteral("no scratch folder for abiword (%1)").arg(scratch.errorString());
        return outcome;
    }
    const QString input = scratch.filePath(QStringLiteral("document.rtf"));
    const QString output = scratch.filePath(QStringLiteral("document.xhtml"));
    QString error;
    if (!WholeFiles::WriteFile(input, read.bytes, &error)) {
        outcome.error = error;
        return outcome;
    }

    QProcess process;
    // No window and no settings of the user's: it converts and ends.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("HOME"), scratch.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.path());
    process.setProcessEnvironment(environment);
    process.setProgram(abiword);
    process.setArguments({QStringLiteral("--import-extension=rtf"), QStringLiteral("--to=xhtml"),
                          QStringLiteral("--to-name=") + output, input});
    process.start();
    if (!process.waitForStarted(10000)) {
        outcome.error = QStringLiteral("abiword could not be started (%1)").arg(process.errorString());
        return outcome;
    }
    QElapsedTimer clock;
    clock.start();
    while (!process.waitForFinished(100)) {
        if (process.state() == QProcess::NotRunning)
            break;
        const bool cancelled = control.cancelled && control.cancelled();
        if (cancelled || clock.elapsed() > kTimeLimitMs) {
            process.kill();
            process.waitForFinished(5000);
            outcome.cancelled = cancelled;
            outcome.error = QStringLiteral("abiword took longer than %1 s").arg(kTimeLimitMs / 1000);
            return outcome;
        }
    }
    const WholeFiles::ReadResult converted = WholeFiles::ReadRegularFile(output);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !converted.ok) {
        const QString why = QString::fromUtf8(process.readAllStandardError()).simplified().left(200);
        outcome.error = QStringLiteral("it is damaged or not RTF (%1)").arg(why.isEmpty() ? QStringLiteral("abiword failed") : why);
        return outcome;
    }
    FillFromXhtml(converted.bytes, outcome);
    return outcome;
}
