#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// Settings that start-up could not use as stored: each says which key and why, so that
// the user is told once instead of finding the setting silently ignored.
QStringList UnusableStartSettings(const SettingsStore &settings);

// The one status-line message for every setting not used; empty when all were usable.
QString UnusedSettingsNotice(const QString &settingsFile, const QStringList &problems);
