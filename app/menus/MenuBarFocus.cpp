#include "app/menus/MenuBarFocus.h"

#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace {

class MenuBarFocusReturn : public QObject
{
public:
    MenuBarFocusReturn(QMenuBar *bar, QWidget *editor) : QObject(bar), m_bar(bar), m_editor(editor)
    {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            if (now && now != m_bar && now->window() == m_bar->window())
                m_before = now;
        });
        bar->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Looked at once the bar has handled the key: Esc on an entry without a menu
        // leaves Qt's bar focused with nothing highlighted.
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            QTimer::singleShot(0, this, [this] { GiveBackIfLeft(); });
        return false;
    }

private:
    void GiveBackIfLeft()
    {
        if (m_bar->window()->focusWidget() != m_bar || QApplication::activePopupWidget() || m_bar->activeAction())
            return;
        QWidget *target = m_before && m_before->isVisible() && m_before->isEnabled() ? m_before.data() : m_editor.data();
        if (target)
            target->setFocus(Qt::MenuBarFocusReason);
    }

    QMenuBar *m_bar;
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_before;
};

} // namespace

void ReturnFocusFromMenuBar(QMenuBar *bar, QWidget *editor)
{
    new MenuBarFocusReturn(bar, editor);
}
