#pragma once

#include "core/SettingsStore.h"

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

// An "&Opcions" switch kept in the settings file as "SI" or "NO" ("SI" when absent).
struct StoredSwitch
{
    QString section;
    QString key;

    bool Read(const SettingsStore &settings) const
    {
        return settings.ReadString(section, key, QStringLiteral("SI")) != QLatin1String("NO");
    }
    // Shows `enabled` on the item and, when it changes `state`, keeps it; false when the
    // switch was so already. A read-only settings file leaves it on for this run.
    bool Turn(QAction *item, bool &state, bool enabled, SettingsStore &settings) const
    {
        if (item && item->isChecked() != enabled)
            item->setChecked(enabled);
        if (enabled == state)
            return false;
        state = enabled;
        settings.WriteYes(section, key, enabled);
        return true;
    }
};
