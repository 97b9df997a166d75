#include "windows/ChoiceList.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>

ChoiceList::ChoiceList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ChoiceList::SetEntries(const QStringList &entries, int rowHeight)
{
    clear();
    for (const QString &entry : entries) {
        auto *item = new QListWidgetItem(entry, this);
        item->setSizeHint(QSize(0, rowHeight));
    }
}

void ChoiceList::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() < 0)
        return;
    if (currentRow() != before) {
        // Moving with the arrows selects as it goes, as a click would.
        setCurrentRow(currentRow(), QItemSelectionModel::ClearAndSelect);
        emit chosen();
    } else if (event->key() == Qt::Key_Space) {
        setCurrentRow(currentRow(), QItemSelectionModel::ClearAndSelect);
        emit chosen();
    }
}

void ChoiceList::mousePressEvent(QMouseEvent *event)
{
    m_rowAtPress = currentRow();
    QListWidget::mousePressEvent(event);
}

void ChoiceList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || currentRow() < 0)
        return;
    const bool onEntry = itemAt(event->position().toPoint()) != nullptr;
    if (onEntry || currentRow() != m_rowAtPress)
        emit chosen();
}

void ChoiceList::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (!selectionModel()->isSelected(current))
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    // The list's own focus news goes out once this handler has returned, and a screen
    // reader says what it hears of last: the entry's news follows it, from the queue.
    QMetaObject::invokeMethod(this, &ChoiceList::AnnounceCurrentEntry, Qt::QueuedConnection);
}

void ChoiceList::AnnounceCurrentEntry()
{
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *table = list ? list->tableInterface() : nullptr;
    QAccessibleInterface *entry = table ? table->cellAt(current.row(), current.column()) : nullptr;
    if (!entry)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(list->indexOfChild(entry));
    QAccessible::updateAccessibility(&focus);
}
