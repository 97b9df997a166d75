// The reader's keys as the triggers see them: where the editor's keys go to the reader
// rather than to the typing and reading rules.
#include "app/reading/ReadingTriggers.h"

#include "app/typing/KeyCodes.h"

#include <QKeyEvent>

void ReadingTriggers::QueueReaderCommand(void (ReadingSession::*command)())
{
    QueueCall([this, command] { (m_session.*command)(); });
}

bool ReadingTriggers::ReaderKeyDown(const QKeyEvent &event)
{
    const int key = VirtualKeyOf(event);
    // Alt with an arrow acts as it goes down, also with the one-hand keyboard on, whose
    // filter lets the keys with Alt through.
    if (event.modifiers() == Qt::AltModifier) {
        void (ReadingSession::*command)() = key == VirtualKey::Right ? &ReadingSession::NextSentence
                                          : key == VirtualKey::Left  ? &ReadingSession::PreviousSentence
                                          : key == VirtualKey::Up    ? &ReadingSession::Faster
                                          : key == VirtualKey::Down  ? &ReadingSession::Slower
                                                                     : nullptr;
        if (command) {
            QueueReaderCommand(command);
            return true;
        }
    }
    // The one-hand keyboard lets a key down through while the space bar is up, and takes
    // every release: F12 and Shift+F7 then act as they go down, once however long held.
    // F7, Esc, F8 and F11 stay as they are, without a release to act on.
    if (!m_oneHand.OneHandOn())
        return false;
    const bool pauseKey = key == VirtualKey::F12 && event.modifiers() == Qt::NoModifier;
    const bool fromCaretKey = key == VirtualKey::F7 && event.modifiers() == Qt::ShiftModifier;
    if (!pauseKey && !fromCaretKey)
        return false;
    if (!event.isAutoRepeat())
        QueueReaderCommand(pauseKey ? &ReadingSession::PauseOrGoOn : &ReadingSession::ReadFromCaret);
    return true;
}
