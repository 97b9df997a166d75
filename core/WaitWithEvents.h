#pragma once

#include <QObject>

// Waits the given milliseconds while the window keeps handling its events.
// Returns at once when the program is closing.
void WaitWithEvents(int milliseconds);

// The program-wide closing state: every loop that waits while handling events
// checks it, so that closing the window during a wait ends the program.
class AppLifetime : public QObject
{
    Q_OBJECT
public:
    static AppLifetime &Instance();
    bool Closing() const { return m_closing; }
    void BeginClosing();
    // Tests start again from a clean state.
    void Reset() { m_closing = false; }

signals:
    void closing();

private:
    bool m_closing = false;
};

inline bool AppClosing()
{
    return AppLifetime::Instance().Closing();
}
