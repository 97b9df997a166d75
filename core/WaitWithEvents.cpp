#include "core/WaitWithEvents.h"

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

void WaitWithEvents(int milliseconds)
{
    if (AppClosing())
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&AppLifetime::Instance(), &AppLifetime::closing, &loop, &QEventLoop::quit);
    timer.start(qMax(0, milliseconds));
    loop.exec();
}
