#include "app/menus/MenuCheckItemsFaces.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

constexpr char kOwnFaces[] = "tolvanetCheckItemFaces";

bool HasOwnFaces(const QObject *menu)
{
    return menu && menu->property(kOwnFaces).toBool();
}

// The caption as shown: "&&" is an ampersand, a lone "&" marks the letter after it.
QString ShownCaption(QString caption)
{
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (caption.at(i) == u'&')
            caption.remove(i, 1);
    return caption;
}

qsizetype MnemonicAt(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&')
            continue;
        if (text.at(i + 1) != u'&')
            return i;
        ++i;
    }
    return -1;
}

// An item of such a menu: a check box when it can be ticked, a menu item or a separator
// otherwise; a press triggers it.
class ItemFace : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ItemFace(QMenu *menu, QAction *item) : m_menu(menu), m_item(item) {}

    bool isValid() const override { return m_menu && m_item; }
    QObject *object() const override { return m_item; }
    QWindow *window() const override { return m_menu ? m_menu->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_menu); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::Role role() const override
    {
        if (!isValid() || m_item->isSeparator())
            return QAccessible::Separator;
        return m_item->isCheckable() ? QAccessible::CheckBox : QAccessible::MenuItem;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return ShownCaption(m_item->text());
        if (kind == QAccessible::Accelerator) {
            if (!m_item->shortcut().isEmpty())
                return m_item->shortcut().toString(QKeySequence::NativeText);
            const qsizetype amp = MnemonicAt(m_item->text());
            if (amp >= 0)
                return QKeySequence(Qt::ALT).toString(QKeySequence::NativeText) + m_item->text().at(amp + 1).toUpper();
        }
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect shown = m_menu->actionGeometry(m_item);
        return QRect(m_menu->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.checkable = m_item->isCheckable();
        state.checked = m_item->isChecked();
        state.focusable = !m_item->isSeparator();
        state.focused = m_menu->activeAction() == m_item;
        state.disabled = m_item->isSeparator() || !m_item->isEnabled();
        state.invisible = !m_menu->isVisible() || !m_item->isVisible();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!isValid() || m_item->isSeparator())
            return {};
        return {m_item->isCheckable() ? toggleAction() : pressAction()};
    }
    void doAction(const QString &name) override
    {
        if (isValid() && actionNames().contains(name) && m_item->isEnabled())
            m_item->trigger();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QMenu> m_menu;
    QPointer<QAction> m_item;
};

// The menu itself, whose items are the faces above; a screen reader asks it the place
// of each item, which Qt's own menu face gives only to menu items and separators.
class MenuFace : public QAccessibleWidget
{
public:
    explicit MenuFace(QMenu *menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    QMenu *Menu() const { return static_cast<QMenu *>(widget()); }

    int childCount() const override { return int(Menu()->actions().size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QList<QAction *> items = Menu()->actions();
        if (index < 0 || index >= items.size())
            return nullptr;
        QAction *item = items.at(index);
        return item->menu() ? QAccessible::queryAccessibleInterface(item->menu())
                            : QAccessible::queryAccessibleInterface(item);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        const QList<QAction *> items = Menu()->actions();
        for (int i = 0; i < items.size(); ++i)
            if (child->object() == items.at(i) || (items.at(i)->menu() && child->object() == items.at(i)->menu()))
                return i;
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        QAction *item = Menu()->actionAt(Menu()->mapFromGlobal(QPoint(x, y)));
        return item ? child(int(Menu()->actions().indexOf(item))) : nullptr;
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        if (!text.isEmpty() || kind != QAccessible::Name)
            return text;
        return Menu()->windowTitle().isEmpty() ? ShownCaption(Menu()->title()) : Menu()->windowTitle();
    }

    // A popup of the menu bar belongs to the bar's item that opens it.
    QAccessibleInterface *parent() const override
    {
        QAction *opener = Menu()->menuAction();
        const QList<QObject *> shownIn = opener ? opener->associatedObjects() : QList<QObject *>();
        for (QObject *owner : shownIn) {
            QAccessibleInterface *ownerFace = qobject_cast<QMenuBar *>(owner) || qobject_cast<QMenu *>(owner)
                                                  ? QAccessible::queryAccessibleInterface(owner)
                                                  : nullptr;
            for (int i = 0; ownerFace && i < ownerFace->childCount(); ++i)
                if (QAccessibleInterface *item = ownerFace->child(i); item && item->object() == opener)
                    return item;
        }
        return QAccessibleWidget::parent();
    }
};

QAccessibleInterface *FaceFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QMenu")) {
        auto *menu = qobject_cast<QMenu *>(object);
        return menu && HasOwnFaces(menu) ? new MenuFace(menu) : nullptr;
    }
    if (className != QLatin1String("QAction"))
        return nullptr;
    auto *item = qobject_cast<QAction *>(object);
    if (!item || item->menu())
        return nullptr;
    for (QObject *shownIn : item->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(shownIn); menu && HasOwnFaces(menu))
            return new ItemFace(menu, item);
    return nullptr;
}

} // namespace

void UseCheckItemFaces(QMenu *menu)
{
    static const bool installed = [] {
        QAccessible::installFactory(FaceFactory);
        return true;
    }();
    Q_UNUSED(installed);
    if (HasOwnFaces(menu))
        return;
    menu->setProperty(kOwnFaces, true);
    // A face Qt made before now is dropped, so that the next question makes ours.
    const auto dropOld = [](QObject *object, auto isOurs) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
        if (face && !isOurs(face))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
    };
    dropOld(menu, [](QAccessibleInterface *face) { return dynamic_cast<MenuFace *>(face) != nullptr; });
    for (QAction *item : menu->actions())
        if (!item->menu())
            dropOld(item, [](QAccessibleInterface *face) { return dynamic_cast<ItemFace *>(face) != nullptr; });
}
