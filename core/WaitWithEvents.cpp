#include "core/WaitWithEvents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

AppLifetime &AppLifetime::Instance()
{
    static AppLifetime instance;
    return instance;
}

void AppLifetime::BeginClosing()
{
    if (m_closing)
        return;
    m_closing = true;
    emit closing();
}

WaitOutcome WaitWithEvents(int milliseconds)
{
    WaitEnd never;
    return WaitWithEvents(milliseconds, never);
}

WaitOutcome WaitWithEvents(int milliseconds, WaitEnd &end, WaitInput input)
{
    if (AppClosing())
        return WaitOutcome::Closing;
    if (end.IsDone())
        return WaitOutcome::Done;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&end, &WaitEnd::done, &loop, &QEventLoop::quit);
    QObject::connect(&AppLifetime::Instance(), &AppLifetime::closing, &loop, &QEventLoop::quit);
    if (milliseconds >= 0)
        timer.start(milliseconds);
    loop.exec(input == WaitInput::Held ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    if (AppClosing())
        return WaitOutcome::Closing;
    return end.IsDone() ? WaitOutcome::Done : WaitOutcome::TimedOut;
}

WaitOutcome HandlePendingEvents()
{
    QCoreApplication::processEvents();
    return AppClosing() ? WaitOutcome::Closing : WaitOutcome::Done;
}
