#pragma once

#include "core/SettingsStore.h"
#include "platform/DesktopWindowsDBus.h"

#include <QObject>

#include <atomic>
#include <memory>

class WavRendering;
class WorkerThread;

// The rendering program's window: answers messages 1025 and 1032 and the close
// request, renders the job of the exchange file on a thread of its own and reports in
// "STATUS" (non-zero from accepting 1032 until the file is complete, then "0").
class RendererWindow : public QObject
{
    Q_OBJECT
public:
    RendererWindow(const QString &exchangeFile, WavRendering &rendering, QObject *parent = nullptr);
    ~RendererWindow() override;

    bool Open(QString *error);
    QString Id() const { return m_registration.Id(); }
    bool Rendering() const { return m_rendering.load(); }

signals:
    // A job ended; ok is false with the reason when no file was made.
    void jobFinished(bool ok, const QString &reason);
    // The close request was handled: the program may end.
    void closed();

private:
    void HandleMessage(int message);
    void HandleClose();
    void StartJob();
    void WriteStatus(const QString &value);
    void FinishJob(bool ok, const QString &reason);
    // Waits for the job on the rendering thread, if any, to end.
    void JoinWorker();

    DesktopWindowRegistration m_registration;
    SettingsStore m_exchange;
    WavRendering &m_renderingEngine;
    std::unique_ptr<WorkerThread> m_worker;
    std::atomic<bool> m_rendering{false};
    std::atomic<bool> m_cancel{false};
    int m_lastPercent = -1;
    // The program whose job this is, and the watch on its bus name.
    QString m_requester;
    std::unique_ptr<BusNameWatch> m_requesterWatch;
};
