#pragma once

#include <QAction>

#include <utility>

// Makes `item` (an "&Opcions" switch) a check item showing `on`; each tick of it calls
// `set` with the new state, for as long as `context` lives.
template <typename Set>
void BindSwitchItem(QAction *item, bool on, const QObject *context, Set &&set)
{
    if (!item)
        return;
    item->setCheckable(true);
    item->setChecked(on);
    QObject::connect(item, &QAction::toggled, context, std::forward<Set>(set));
}
