#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// Starts the rendering program when its window is not open yet.
class RendererLauncher
{
public:
    virtual ~RendererLauncher() = default;
    // Starts it; false with the reason when it cannot be started.
    virtual bool Start(QString *error) = 0;
    // Whether the program started by Start is still running.
    virtual bool Running() const = 0;
    // Ends the program started by Start (one that never showed its window).
    virtual void Terminate() = 0;
};

// Runs "SonnerixaWav QUIMBO" from the program's folder.
class ProcessRendererLauncher : public RendererLauncher
{
public:
    explicit ProcessRendererLauncher(const QString &programDir);
    ~ProcessRendererLauncher() override;

    bool Start(QString *error) override;
    bool Running() const override;
    void Terminate() override;

private:
    QString m_programDir;
    std::unique_ptr<QProcess> m_process;
};

// An encoder ("lame", "opusenc") in the program's folder, else the first one on the search
// path; empty when there is none.
QString FindEncoder(const QString &program, const QString &programDir, const QStringList &searchPath);
// The folders of PATH.
QStringList ExecutableSearchPath();
