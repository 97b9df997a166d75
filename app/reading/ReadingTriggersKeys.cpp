// The reader's keys as the triggers see them: where the editor's keys go to the reader
// rather than to the typing and reading rules.
#include "app/reading/ReadingTriggers.h"

#include "app/reading/KeyCodes.h"

#include <QKeyEvent>

void ReadingTriggers::ReadDocument(int documentStart, const QString &text)
{
    if (m_documentReader && m_documentReader(documentStart, documentStart + int(text.size())))
        return;
    ReadAloud(documentStart, text);
}

bool ReadingTriggers::ReaderKeyDown(const QKeyEvent &event)
{
    const int key = VirtualKeyOf(event);
    // Alt with an arrow acts as it goes down, also with the one-hand keyboard on, whose
    // filter lets the keys with Alt through.
    if (event.modifiers() == Qt::AltModifier) {
        const std::function<void()> *command = key == VirtualKey::Right ? &m_readerKeys.nextSentence
                                             : key == VirtualKey::Left  ? &m_readerKeys.previousSentence
                                             : key == VirtualKey::Up    ? &m_readerKeys.faster
                                             : key == VirtualKey::Down  ? &m_readerKeys.slower
                                                                        : nullptr;
        if (command) {
            QueueCall(*command);
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
        QueueCall(pauseKey ? m_readerKeys.pauseOrGoOn : m_readerKeys.readFromCaret);
    return true;
}
