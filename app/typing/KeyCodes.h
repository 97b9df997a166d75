#pragma once

#include <QKeyEvent>
#include <QString>

#include <functional>
#include <memory>

class QObject;

// The virtual key numbers the reading triggers and the one-hand keyboard are written
// in, and the one place where they are mapped from and to Qt's keys.
namespace VirtualKey
{
constexpr int None = 0;
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18; // Alt
constexpr int Pause = 19;
constexpr int CapsLock = 20;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Digit0 = 48; // '0'..'9' are 48..57
constexpr int LetterA = 65; // 'A'..'Z' are 65..90
constexpr int F1 = 112;     // F1..F24 are 112..135
constexpr int F7 = 118;
constexpr int F8 = 119;
constexpr int F9 = 120;
constexpr int F10 = 121;
constexpr int F11 = 122;
constexpr int F12 = 123;
} // namespace VirtualKey

// The virtual key number of a Qt key, or VirtualKey::None for keys the program never names.
int VirtualKeyFromQtKey(int qtKey);
// The Qt key of a virtual key number, or 0 when it has none.
int QtKeyFromVirtualKey(int virtualKey);
int VirtualKeyOf(const QKeyEvent &event);

// The characters the key event produced under the keyboard's state (shift keys, caps
// lock, layout, a pending dead key): one or two characters, or empty.
QString KeyToText(const QKeyEvent &event);

// A character the user typed, as the editor's character handler sees one: printable
// characters and the control characters Backspace, Tab, Enter and Esc; Delete is a key,
// not a character, although Qt gives it the text "\x7f".
bool IsTypedCharacter(const QString &text);

// The sent keys that are queued and not yet delivered (nor discarded).
struct PendingSyntheticKeys
{
    int count = 0;
    // Called when the last of them is gone.
    std::function<void()> drained;
};

// Keys the editor is sent in place of the keyboard. Each one is marked, so that its
// handlers can tell it from a real key, and counted while it waits in the queue.
class SyntheticKeyEvent : public QKeyEvent
{
public:
    SyntheticKeyEvent(QEvent::Type type, int virtualKey, Qt::KeyboardModifiers modifiers,
                      std::shared_ptr<PendingSyntheticKeys> pending);
    ~SyntheticKeyEvent() override;

private:
    std::shared_ptr<PendingSyntheticKeys> m_pending;
};

// Queues the key behind the events already waiting, as the keyboard would deliver it.
void PostSyntheticKey(QObject *receiver, QEvent::Type type, int virtualKey,
                      Qt::KeyboardModifiers modifiers,
                      const std::shared_ptr<PendingSyntheticKeys> &pending);

inline bool IsSyntheticKey(const QEvent *event)
{
    return dynamic_cast<const SyntheticKeyEvent *>(event) != nullptr;
}
