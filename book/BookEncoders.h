#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QProcess;

// The chapters' recordings encoded in the background while the next chapters are
// recorded: a program per chapter (lame, ffmpeg), as many at once as there are cores,
// the others waiting their turn. Encoding takes far longer than rendering, so the book
// is ready about when the last chapters are encoded.
class BookEncoders : public QObject
{
    Q_OBJECT
public:
    struct Job
    {
        QString program;       // its full path
        QStringList arguments;
        QString input;         // the chapter's WAV file, removed once encoded
        QString output;        // the file the program writes
        qint64 soundMs = 0;    // how long the recording lasts, for the time it may take
    };

    // language: the interface language of what is said when an encoder fails.
    BookEncoders(int atOnce, int language, QObject *parent = nullptr);
    ~BookEncoders() override;

    int AtOnce() const { return m_atOnce; }
    // Queues the job; it starts as soon as an encoder is free.
    void Add(const Job &job);
    // Waits, handling events, until fewer than `queued` jobs wait for an encoder, so that
    // the recordings waiting on disk stay few. False once an encoder failed or all were
    // ended.
    bool WaitForRoom(int queued);
    // Waits until every job is done; false once one failed or all were ended.
    bool WaitForAll();
    // Ends every encoder at once and drops the jobs waiting: the stop key and closing.
    void Abort();
    // Why an encoder failed; empty while none did.
    QString Problem() const { return m_problem; }

signals:
    // A job ended, well or not, or all were ended.
    void jobEnded();

private:
    struct Running;
    bool WaitUntil(const std::function<bool()> &done);
    void StartWaiting();
    void Finished(Running *running);
    void Fail(const QString &problem);
    // Ends encoders that have run far longer than their sound lasts: hung ones.
    void EndHungEncoders();

    int m_atOnce = 1;
    int m_language = 0;
    QList<Job> m_waiting;
    std::vector<std::unique_ptr<Running>> m_running;
    std::vector<std::unique_ptr<Running>> m_ended;  // finished, deleted after their signals
    QString m_problem;
    bool m_aborted = false;
};
