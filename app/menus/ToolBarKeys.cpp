#include "app/menus/ToolBarKeys.h"

#include <QKeyEvent>
#include <QPointer>
#include <QToolButton>

namespace {

// Moves the focus along a row of buttons with the arrow keys, and presses the focused
// one with Enter as Space does.
class ButtonRowKeys : public QObject
{
public:
    ButtonRowKeys(const QList<QToolButton *> &buttons, QWidget *editor, QObject *parent)
        : QObject(parent), m_buttons(buttons), m_editor(editor)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *button = static_cast<QToolButton *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        switch (key->key()) {
        case Qt::Key_Left:
            return MoveFrom(button, -1);
        case Qt::Key_Right:
            return MoveFrom(button, +1);
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            // The editor gets the focus back first, as after a click: what the button
            // starts (reading word by word) reads there.
            if (m_editor)
                m_editor->setFocus(Qt::OtherFocusReason);
            if (button->isEnabled())
                button->click();
            return true;
        default:
            return false;
        }
    }

private:
    // The next enabled button that way, going round at the ends.
    bool MoveFrom(QToolButton *button, int step)
    {
        const qsizetype count = m_buttons.size();
        const qsizetype from = m_buttons.indexOf(button);
        for (qsizetype i = 1; i < count; ++i) {
            QToolButton *candidate = m_buttons[((from + step * i) % count + count) % count];
            if (candidate->isEnabled() && candidate->isVisible()) {
                candidate->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
                return true;
            }
        }
        return true;
    }

    QList<QToolButton *> m_buttons;
    QPointer<QWidget> m_editor;
};

} // namespace

void MakeToolButtonsReachable(const QList<QToolButton *> &buttons, QWidget *field, QWidget *after, QWidget *next)
{
    if (buttons.isEmpty())
        return;
    auto *keys = new ButtonRowKeys(buttons, next, buttons.first());
    QWidget *previous = after;
    QWidget::setTabOrder(field, after);
    for (QToolButton *button : buttons) {
        // Tab reaches it; a click leaves the focus where it was.
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(keys);
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    if (next)
        QWidget::setTabOrder(previous, next);
}
