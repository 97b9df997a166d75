#include "app/menus/MenuCheckItems.h"

#include "app/menus/MenuCheckItemsFaces.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QActionEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace {

class TickInPlace : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged) {
            if (static_cast<QActionEvent *>(event)->action()->isCheckable())
                UseCheckItemFaces(static_cast<QMenu *>(watched));
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        auto *menu = static_cast<QMenu *>(watched);
        QAction *item = menu->activeAction();
        if (!item || !item->isCheckable() || !item->isEnabled() || item->menu() || item->isSeparator())
            return false;
        item->trigger();
        CloseMenus(menu);
        return true;
    }

private:
    static void CloseMenus(QMenu *menu)
    {
        QWidget *bar = nullptr;
        QWidget *popup = menu;
        for (int depth = 0; popup && depth < 16; ++depth) {
            popup->hide();
            popup = QApplication::activePopupWidget();
        }
        for (QObject *owner = menu->parent(); owner && !bar; owner = owner->parent())
            if (auto *window = qobject_cast<QWidget *>(owner))
                bar = window->window()->findChild<QMenuBar *>();
        // The menu bar gives the focus back to where it was, as after a choice.
        if (bar && QApplication::focusWidget() == bar) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(bar, &escape);
        }
    }
};

} // namespace

void TickCheckItemsInPlace(QMenu *menu)
{
    menu->installEventFilter(new TickInPlace(menu));
}

QAccessibleInterface *AccessibleMenuItem(QMenu *menu, QAction *item)
{
    QAccessibleInterface *menuFace = QAccessible::queryAccessibleInterface(menu);
    if (!menuFace)
        return nullptr;
    for (int i = 0; i < menuFace->childCount(); ++i)
        if (QAccessibleInterface *child = menuFace->child(i); child && child->object() == item)
            return child;
    return nullptr;
}

void AnnounceCheckMark(QAction *item)
{
    QAccessible::State changed;
    changed.checked = true;
    for (QObject *shownIn : item->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(shownIn))
            if (QAccessibleInterface *face = AccessibleMenuItem(menu, item)) {
                QAccessibleStateChangeEvent event(face, changed);
                QAccessible::updateAccessibility(&event);
            }
}
