#pragma once

#include <QObject>

// How a wait ended.
enum class WaitOutcome {
    Done,     // what it waited for happened
    TimedOut, // the time was up first
    Closing,  // the program is closing: whatever waits gives up
};

// What a wait ends on besides its time: a call to Done, or a signal connected to it.
class WaitEnd : public QObject
{
    Q_OBJECT
public:
    void Done()
    {
        if (m_done)
            return;
        m_done = true;
        emit done();
    }
    bool IsDone() const { return m_done; }
    // The sender's signal ends the wait, whatever it carries.
    template <typename Sender, typename Signal>
    void On(const Sender *sender, Signal signal)
    {
        connect(sender, signal, this, [this] { Done(); });
    }

signals:
    void done();

private:
    bool m_done = false;
};

// Whether the user's keys and clicks are handled while waiting.
enum class WaitInput { Handled, Held };

// The one way the program waits while the window keeps handling its events. Waits the
// given milliseconds (no limit when negative), or until `end` is done; returns at once
// when the program is closing or `end` is done already.
WaitOutcome WaitWithEvents(int milliseconds);
WaitOutcome WaitWithEvents(int milliseconds, WaitEnd &end, WaitInput input = WaitInput::Handled);
// Handles the events waiting now, once, without waiting for more.
WaitOutcome HandlePendingEvents();

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
