#include "app/typing/ActivityGate.h"

#include <utility>

ActivityGate::Hold::Hold(ActivityGate &gate, Activity activity) : m_gate(gate), m_activity(activity)
{
    m_gate.Enter(m_activity);
}

ActivityGate::Hold::~Hold()
{
    m_gate.Leave(m_activity);
}

ActivityGate::ActivityGate(QObject *parent) : QObject(parent) {}

int &ActivityGate::Count(Activity activity)
{
    switch (activity) {
    case Activity::Exporting:
        return m_exporting;
    case Activity::WordByWord:
        return m_wordByWord;
    case Activity::ModalWindow:
        break;
    }
    return m_modal;
}

void ActivityGate::Enter(Activity activity)
{
    ++Count(activity);
    emit changed();
}

void ActivityGate::Leave(Activity activity)
{
    int &count = Count(activity);
    if (count > 0)
        --count;
    if (activity == Activity::WordByWord && m_wordByWord == 0 && !m_afterWordByWord.isEmpty()) {
        // The reading's loop is still on the stack: what waited for it starts from the
        // event loop, once the loop has returned.
        const auto waiting = std::exchange(m_afterWordByWord, {});
        QMetaObject::invokeMethod(this, [this, waiting] {
            for (const auto &[what, start] : waiting)
                if (MayStart(what))
                    start();
        }, Qt::QueuedConnection);
    }
    emit changed();
}

bool ActivityGate::MayStart(Start what) const
{
    if (what == Start::Stop)
        return true;
    // The export waits for its renderer while the window handles events: whatever
    // started meanwhile would run inside that wait and hold the recording up.
    if (Exporting())
        return false;
    // One modal window at a time; a recording does not start behind one either.
    if (ModalWindowOpen())
        return what == Start::Speech || what == Start::Setting;
    return true;
}

void ActivityGate::StartAfterWordByWord(Start what, std::function<void()> start)
{
    if (!MayStart(what) || !start)
        return;
    if (ReadingWordByWord()) {
        m_afterWordByWord.append({what, std::move(start)});
        return;
    }
    start();
}

void ActivityGate::RunModal(const std::function<void()> &exec)
{
    if (!MayStart(Start::Window) || !exec)
        return;
    Hold hold(*this, Activity::ModalWindow);
    exec();
}

void ActivityGate::SetExporting(bool exporting)
{
    Report(Activity::Exporting, m_exportHeld, exporting);
}

void ActivityGate::SetReadingWordByWord(bool reading)
{
    Report(Activity::WordByWord, m_wordByWordHeld, reading);
}

void ActivityGate::Report(Activity activity, bool &held, bool busy)
{
    if (busy == held)
        return;
    held = busy;
    if (busy)
        Enter(activity);
    else
        Leave(activity);
}
