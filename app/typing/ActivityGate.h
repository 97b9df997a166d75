#pragma once

#include <QObject>

#include <functional>

// What the program is busy with, that a command must respect before it starts: an
// export, word-by-word reading, a modal window of ours. Every key trigger, toolbar
// button and menu item asks it first; a command that may not start now is dropped
// quietly (the export, the window and the reading each end by themselves).
class ActivityGate : public QObject
{
    Q_OBJECT
public:
    enum class Activity { Exporting, WordByWord, ModalWindow };
    // What a command is about to start.
    enum class Start {
        Speech,   // anything heard: reading, typing echo, the clipboard
        Window,   // a modal window: the speech window, the language chooser, the font dialog
        Export,   // a recording
        Setting,  // a switch of the options menu
        Stop,     // silence: starts nothing, always allowed
    };

    // Held for as long as an activity lasts; the gate opens again when the last hold goes.
    class Hold
    {
    public:
        Hold(ActivityGate &gate, Activity activity);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        ActivityGate &m_gate;
        Activity m_activity;
    };

    explicit ActivityGate(QObject *parent = nullptr);

    bool Exporting() const { return m_exporting > 0; }
    bool ReadingWordByWord() const { return m_wordByWord > 0; }
    bool ModalWindowOpen() const { return m_modal > 0; }

    // Whether a command may start what it is about to start now.
    bool MayStart(Start what) const;
    // Runs a window or an export once word-by-word reading has unwound, so that neither
    // runs inside the reading's loop: at once when no word-by-word reading runs, after
    // its end otherwise (the caller stops the reading first). Dropped when the gate
    // does not allow it then.
    void StartAfterWordByWord(Start what, std::function<void()> start);
    // Runs a modal window under a hold of its own, when the gate allows it.
    void RunModal(const std::function<void()> &exec);

    // The export's busy state, as the exporter reports it.
    void SetExporting(bool exporting);
    // Word by word's state, as the reading session reports it.
    void SetReadingWordByWord(bool reading);

signals:
    // Something began or ended: controls that cannot act meanwhile follow it.
    void changed();

private:
    void Enter(Activity activity);
    void Leave(Activity activity);
    // An activity reported busy or done, entered or left once for each change.
    void Report(Activity activity, bool &held, bool busy);
    int &Count(Activity activity);

    int m_exporting = 0;
    int m_wordByWord = 0;
    int m_modal = 0;
    bool m_exportHeld = false;
    bool m_wordByWordHeld = false;
    QList<std::pair<Start, std::function<void()>>> m_afterWordByWord;
};
