#include "book/BookEncoders.h"

#include "core/WaitWithEvents.h"
#include "book/BookTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

using BookTexts::Text;

namespace {

// Encoders work many times faster than the sound plays: only one that hangs takes a
// minute more than its sound lasts.
constexpr qint64 kEncoderGraceMs = 60000;
// How often running encoders are looked at for hanging.
constexpr int kLookMs = 1000;

} // namespace

struct BookEncoders::Running
{
    Job job;
    QProcess process;
    QElapsedTimer clock;
    QByteArray said;  // the end of what it wrote, for why it failed
};

BookEncoders::BookEncoders(int atOnce, int language, QObject *parent)
    : QObject(parent), m_atOnce(qMax(1, atOnce)), m_language(language)
{
}

BookEncoders::~BookEncoders()
{
    Abort();
}

void BookEncoders::Add(const Job &job)
{
    if (m_aborted || !m_problem.isEmpty()) {
        QFile::remove(job.input);
        return;
    }
    m_waiting.append(job);
    StartWaiting();
}

void BookEncoders::StartWaiting()
{
    while (!m_waiting.isEmpty() && int(m_running.size()) < m_atOnce && m_problem.isEmpty() && !m_aborted) {
        auto running = std::make_unique<Running>();
        running->job = m_waiting.takeFirst();
        Running *started = running.get();
        QProcess &process = started->process;
        process.setProgram(started->job.program);
        process.setArguments(started->job.arguments);
        process.setProcessChannelMode(QProcess::MergedChannels);
        // Read as it comes, so that an encoder never waits on a full pipe.
        connect(&process, &QProcess::readyRead, this, [started] {
            started->said += started->process.readAll();
            if (started->said.size() > 65536)
                started->said = started->said.right(4096);
        });
        connect(&process, &QProcess::finished, this, [this, started] { Finished(started); });
        connect(&process, &QProcess::errorOccurred, this, [this, started](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                Finished(started);
        });
        m_running.push_back(std::move(running));
        started->clock.start();
        process.start();
    }
}

void BookEncoders::Finished(Running *running)
{
    const auto found = std::find_if(m_running.begin(), m_running.end(),
                                    [running](const auto &entry) { return entry.get() == running; });
    if (found == m_running.end())
        return;
    // Taken out of the list first: what follows may start the next one.
    std::unique_ptr<Running> ended = std::move(*found);
    m_running.erase(found);
    QProcess &process = ended->process;
    ended->said += process.readAll();
    const Job &job = ended->job;
    const QString name = QFileInfo(job.program).fileName();
    QFile::remove(job.input);
    const bool made = QFileInfo(job.output).size() > 0;
    if (process.error() == QProcess::FailedToStart) {
        Fail(BookTexts::Of(Text::ProgramFailed, m_language).arg(name, process.errorString()));
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !made) {
        QString said = QString::fromLocal8Bit(ended->said).trimmed();
        said.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        said = said.section(QLatin1Char('\n'), -1).trimmed();
        Fail(BookTexts::Of(Text::ProgramFailed, m_language)
                 .arg(name, said.isEmpty() ? QString::number(process.exitCode()) : said));
    }
    // What a failed encoder wrote is no chapter.
    if (!m_problem.isEmpty())
        QFile::remove(job.output);
    // Deleted once its own signal has returned.
    ended->process.disconnect(this);
    m_ended.push_back(std::move(ended));
    StartWaiting();
    emit jobEnded();
}

void BookEncoders::Fail(const QString &problem)
{
    if (m_problem.isEmpty())
        m_problem = problem;
    // One chapter lost is the book lost: the others need not go on.
    Abort();
}

void BookEncoders::Abort()
{
    m_aborted = true;
    for (const Job &job : std::as_const(m_waiting))
        QFile::remove(job.input);
    m_waiting.clear();
    std::vector<std::unique_ptr<Running>> running;
    running.swap(m_running);
    for (const auto &entry : running) {
        entry->process.disconnect(this);
        entry->process.kill();
        entry->process.waitForFinished(2000);
        QFile::remove(entry->job.input);
        QFile::remove(entry->job.output);
    }
    emit jobEnded();
}

void BookEncoders::EndHungEncoders()
{
    for (const auto &entry : m_running)
        if (entry->clock.elapsed() > kEncoderGraceMs + entry->job.soundMs) {
            Fail(BookTexts::Of(Text::ProgramHung, m_language).arg(QFileInfo(entry->job.program).fileName()));
            return;
        }
}

bool BookEncoders::WaitUntil(const std::function<bool()> &done)
{
    while (!done()) {
        m_ended.clear();
        if (m_aborted || !m_problem.isEmpty())
            return false;
        WaitEnd ended;
        ended.On(this, &BookEncoders::jobEnded);
        if (WaitWithEvents(kLookMs, ended) == WaitOutcome::Closing) {
            Abort();
            return false;
        }
        EndHungEncoders();
    }
    return !m_aborted && m_problem.isEmpty();
}

bool BookEncoders::WaitForRoom(int queued)
{
    return WaitUntil([this, queued] { return m_waiting.size() < queued; });
}

bool BookEncoders::WaitForAll()
{
    return WaitUntil([this] { return m_waiting.isEmpty() && m_running.empty(); });
}
