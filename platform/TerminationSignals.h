#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGHUP (a logout, `kill`, a closed terminal) turned into a Qt signal on the
// GUI thread, so that the program can close as it does when the user closes it.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Only one watcher may exist at a time: the handlers write to its pipe.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the handlers could not be installed; the signals then end the program as before.
    bool Watching() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void ReadPipe();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
