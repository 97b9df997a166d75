#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// A speech-dispatcher of the test's own on a socket of its own, so that a test
// neither depends on nor disturbs the desktop's one. It plays through the test run's
// sound server like any program of the session.
class SpeechService
{
public:
    ~SpeechService() { Stop(); }

    // Why it could not start; empty once it listens (and SPEECHD_ADDRESS names it).
    // Each of alsoAs offers an installed output module once more under another name
    // (name -> module), beside the installed ones.
    QString Start(const QMap<QString, QString> &alsoAs = {})
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher"));
        if (program.isEmpty())
            return QStringLiteral("speech-dispatcher is not installed");
        const QString socket = m_run.filePath(QStringLiteral("speechd.sock"));
        QDir().mkpath(m_run.filePath(QStringLiteral("log")));
        QStringList arguments = {"-s", "-t", "60", "-c", "unix_socket", "-S", socket, "-P",
                                 m_run.filePath(QStringLiteral("pid")), "-L", m_run.filePath(QStringLiteral("log"))};
        if (!alsoAs.isEmpty()) {
            const QString installed = QStringLiteral("/usr/lib/speech-dispatcher-modules");
            const QString modules = m_run.filePath(QStringLiteral("modules"));
            QDir().mkpath(modules);
            const QStringList binaries = QDir(installed).entryList({QStringLiteral("sd_*")}, QDir::Files);
            for (const QString &binary : binaries)
                QFile::link(installed + QLatin1Char('/') + binary, modules + QLatin1Char('/') + binary);
            for (auto as = alsoAs.begin(); as != alsoAs.end(); ++as) {
                if (!binaries.contains(QStringLiteral("sd_") + as.value()))
                    return QStringLiteral("the speech-dispatcher module %1 is not installed").arg(as.value());
                QFile::link(installed + QStringLiteral("/sd_") + as.value(), modules + QStringLiteral("/sd_") + as.key());
            }
            arguments << QStringLiteral("-m") << modules;
        }
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(program, arguments);
        if (!m_server.waitForStarted(5000))
            return QStringLiteral("speech-dispatcher cannot be started");
        QElapsedTimer clock;
        clock.start();
        // It loads its modules before it listens: seconds on a busy machine.
        while (!QFile::exists(socket) && clock.elapsed() < 30000)
            m_server.waitForFinished(50);
        if (!QFile::exists(socket))
            return QStringLiteral("speech-dispatcher does not listen");
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toLocal8Bit());
        return QString();
    }

    void Stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill(); // a server whose module hangs ignores a polite request
            m_server.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir m_run;
    QProcess m_server;
};
