#include "app/typing/KeyCodes.h"

#include <QCoreApplication>

#include <utility>

namespace
{
struct KeyPair
{
    int qt;
    int virtualKey;
};

// Keys whose virtual number is not their Qt number; digits and letters share theirs.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VirtualKey::Back},    {Qt::Key_Tab, VirtualKey::Tab},
    {Qt::Key_Backtab, VirtualKey::Tab},       {Qt::Key_Return, VirtualKey::Return},
    {Qt::Key_Enter, VirtualKey::Return},      {Qt::Key_Shift, VirtualKey::Shift},
    {Qt::Key_Control, VirtualKey::Control},   {Qt::Key_Alt, VirtualKey::Menu},
    {Qt::Key_Pause, VirtualKey::Pause},       {Qt::Key_CapsLock, VirtualKey::CapsLock},
    {Qt::Key_Escape, VirtualKey::Escape},     {Qt::Key_Space, VirtualKey::Space},
    {Qt::Key_PageUp, VirtualKey::PageUp},     {Qt::Key_PageDown, VirtualKey::PageDown},
    {Qt::Key_End, VirtualKey::End},           {Qt::Key_Home, VirtualKey::Home},
    {Qt::Key_Left, VirtualKey::Left},         {Qt::Key_Up, VirtualKey::Up},
    {Qt::Key_Right, VirtualKey::Right},       {Qt::Key_Down, VirtualKey::Down},
    {Qt::Key_Insert, VirtualKey::Insert},     {Qt::Key_Delete, VirtualKey::Delete},
};
constexpr int kFunctionKeys = 24;
} // namespace

int VirtualKeyFromQtKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VirtualKey::Digit0 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return VirtualKey::LetterA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys)
        return VirtualKey::F1 + (qtKey - Qt::Key_F1);
    for (const KeyPair &pair : kKeys) {
        if (pair.qt == qtKey)
            return pair.virtualKey;
    }
    return VirtualKey::None;
}

int QtKeyFromVirtualKey(int virtualKey)
{
    if (virtualKey >= VirtualKey::Digit0 && virtualKey < VirtualKey::Digit0 + 10)
        return Qt::Key_0 + (virtualKey - VirtualKey::Digit0);
    if (virtualKey >= VirtualKey::LetterA && virtualKey < VirtualKey::LetterA + 26)
        return Qt::Key_A + (virtualKey - VirtualKey::LetterA);
    if (virtualKey >= VirtualKey::F1 && virtualKey < VirtualKey::F1 + kFunctionKeys)
        return Qt::Key_F1 + (virtualKey - VirtualKey::F1);
    for (const KeyPair &pair : kKeys) {
        if (pair.virtualKey == virtualKey)
            return pair.qt;
    }
    return 0;
}

int VirtualKeyOf(const QKeyEvent &event)
{
    return VirtualKeyFromQtKey(event.key());
}

QString KeyToText(const QKeyEvent &event)
{
    return event.text();
}

bool IsTypedCharacter(const QString &text)
{
    if (text.isEmpty() || text == QStringLiteral("\x7f"))
        return false;
    // Control characters other than these four are what Ctrl and a letter give; the
    // editor inserts none of them.
    if (text.size() == 1 && text.at(0).unicode() < 32) {
        switch (text.at(0).unicode()) {
        case 8:
        case 9:
        case 13:
        case 27:
            return true;
        default:
            return false;
        }
    }
    return true;
}

SyntheticKeyEvent::SyntheticKeyEvent(QEvent::Type type, int virtualKey,
                                     Qt::KeyboardModifiers modifiers,
                                     std::shared_ptr<PendingSyntheticKeys> pending)
    : QKeyEvent(type, QtKeyFromVirtualKey(virtualKey), modifiers, 0,
                static_cast<quint32>(virtualKey), 0)
    , m_pending(std::move(pending))
{
    if (m_pending)
        ++m_pending->count;
}

SyntheticKeyEvent::~SyntheticKeyEvent()
{
    if (m_pending && --m_pending->count == 0 && m_pending->drained)
        m_pending->drained();
}

void PostSyntheticKey(QObject *receiver, QEvent::Type type, int virtualKey,
                      Qt::KeyboardModifiers modifiers,
                      const std::shared_ptr<PendingSyntheticKeys> &pending)
{
    QCoreApplication::postEvent(receiver, new SyntheticKeyEvent(type, virtualKey, modifiers, pending));
}
