#include "export/AudioExportPrograms.h"

#include "export/AudioExportProtocol.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

ProcessRendererLauncher::ProcessRendererLauncher(const QString &programDir)
    : m_programDir(programDir)
{
}

ProcessRendererLauncher::~ProcessRendererLauncher()
{
    // A program asked to close is given a moment; one still running then ends with us.
    if (Running() && !m_process->waitForFinished(1000))
        Terminate();
}

bool ProcessRendererLauncher::Start(QString *error)
{
    const QString program = QDir(m_programDir).filePath(ExportProtocol::kRendererProgram);
    if (!QFileInfo(program).isExecutable()) {
        if (error)
            *error = QStringLiteral("no s'ha trobat el programa %1").arg(program);
        return false;
    }
    if (m_process && m_process->state() != QProcess::NotRunning)
        Terminate();
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(program);
    m_process->setArguments({ExportProtocol::kRendererArgument});
    m_process->setWorkingDirectory(m_programDir);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->start();
    if (!m_process->waitForStarted(5000)) {
        if (error)
            *error = QStringLiteral("no s'ha pogut iniciar %1: %2").arg(program, m_process->errorString());
        m_process.reset();
        return false;
    }
    return true;
}

bool ProcessRendererLauncher::Running() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void ProcessRendererLauncher::Terminate()
{
    if (!Running())
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(2000)) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

QString FindEncoder(const QString &program, const QString &programDir, const QStringList &searchPath)
{
    const QString beside = QDir(programDir).filePath(program);
    const QFileInfo besideInfo(beside);
    if (besideInfo.isFile() && besideInfo.isExecutable())
        return beside;
    if (searchPath.isEmpty())
        return QString();
    return QStandardPaths::findExecutable(program, searchPath);
}

QStringList ExecutableSearchPath()
{
    return qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}
