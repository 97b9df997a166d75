#include "sonnerixawav/RendererWindow.h"

#include "platform/WorkerThread.h"
#include "sonnerixawav/RenderJob.h"
#include "sonnerixawav/WavRendering.h"
#include "export/AudioExportProtocol.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

namespace {

// A job notices a cancel within one block of samples; one that does not within this
// long is a fault of its own.
constexpr std::chrono::seconds kJoinLimit{60};

// How often the window looks whether the program that started it is still there.
constexpr std::chrono::milliseconds kStarterCheck{500};

} // namespace

RendererWindow::RendererWindow(const QString &exchangeFile, WavRendering &rendering, QObject *parent)
    : QObject(parent), m_registration(ExportProtocol::RendererWindowTitle(exchangeFile)), m_exchange(exchangeFile),
      m_renderingEngine(rendering), m_worker(std::make_unique<WorkerThread>(QStringLiteral("rendering")))
{
    connect(&m_registration, &DesktopWindowRegistration::windowMessage, this, &RendererWindow::HandleMessage);
    connect(&m_registration, &DesktopWindowRegistration::closeRequested, this, &RendererWindow::HandleClose);
    // A program that dies after starting the window, before it could send a job (or ask
    // for the close), would leave it waiting forever, holding its title: it ends with it.
    const pid_t starter = ::getppid();
    auto *check = new QTimer(this);
    connect(check, &QTimer::timeout, this, [this, starter, check] {
        if (::getppid() == starter)
            return;
        check->stop();
        if (m_registration.Registered())
            HandleClose();
    });
    check->start(kStarterCheck);
}

RendererWindow::~RendererWindow()
{
    m_cancel = true;
    JoinWorker();
}

bool RendererWindow::Open(QString *error)
{
    return m_registration.Register(error);
}

void RendererWindow::HandleMessage(int message)
{
    if (message == ExportProtocol::kMessageRender) {
        // The program that asked is watched: when it ends, so does its job, and this window.
        const QString requester = m_registration.LastSender();
        if (!requester.isEmpty() && requester != m_requester) {
            m_requester = requester;
            m_requesterWatch = std::make_unique<BusNameWatch>(requester);
            connect(m_requesterWatch.get(), &BusNameWatch::gone, this, [this] {
                if (m_registration.Registered())
                    HandleClose();
            });
        }
        StartJob();
    }
    // 1025 only tells that the editor has found the window: nothing to do.
}

void RendererWindow::HandleClose()
{
    m_cancel = true;
    JoinWorker();
    if (m_rendering)
        FinishJob(false, QStringLiteral("closed before the file was complete"));
    m_registration.Unregister();
    emit closed();
}

void RendererWindow::WriteStatus(const QString &value)
{
    if (!m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyStatus, value))
        std::fprintf(stderr, "SonnerixaWav: %s\n", qPrintable(m_exchange.LastError()));
}

void RendererWindow::StartJob()
{
    if (m_rendering)
        return;  // one job at a time; "STATUS" already says it is busy
    JoinWorker();
    QString error;
    const std::optional<RenderJob> job = ReadRenderJob(m_exchange, &error);
    // The word times are asked for job by job: an editor that does not know them never
    // gets a file it would not remove.
    if (!m_exchange.ReadString(ExportProtocol::kSection, ExportProtocol::kKeyWavWords, QString()).isEmpty())
        m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyWavWords, QString());
    if (!job) {
        FinishJob(false, error);
        return;
    }
    // Busy before the message returns, so that the editor's first reading sees it.
    m_lastPercent = 1;
    WriteStatus(QStringLiteral("1"));
    m_rendering = true;
    m_cancel = false;
    QDir().mkpath(QFileInfo(job->outputPath).absolutePath());
    QPointer<RendererWindow> self(this);
    m_worker->Post([this, self, job = *job] {
        int posted = 1;
        const auto progress = [this, self, &posted](int percent) {
            const int shown = qBound(1, percent, 100);
            // Engines report often: only a new percentage goes to the window's thread.
            if (shown == posted)
                return !m_cancel.load();
            posted = shown;
            QMetaObject::invokeMethod(this, [this, self, shown] {
                if (self && m_rendering && shown != m_lastPercent) {
                    m_lastPercent = shown;
                    WriteStatus(QString::number(shown));
                }
            }, Qt::QueuedConnection);
            return !m_cancel.load();
        };
        QString reason;
        const bool ok = m_renderingEngine.Render(job, progress, &reason);
        QMetaObject::invokeMethod(this, [this, self, ok, reason] {
            if (self && m_rendering)
                FinishJob(ok, reason);
        }, Qt::QueuedConnection);
    });
}

void RendererWindow::FinishJob(bool ok, const QString &reason)
{
    m_rendering = false;
    JoinWorker();
    if (!ok)
        std::fprintf(stderr, "SonnerixaWav: no sound file made: %s\n", qPrintable(reason));
    WriteStatus(ExportProtocol::kStatusDone);
    emit jobFinished(ok, reason);
}

void RendererWindow::JoinWorker()
{
    // Jobs run in turn: this one runs once the rendering job has returned.
    m_worker->Call<bool>([] { return true; }, kJoinLimit);
}
