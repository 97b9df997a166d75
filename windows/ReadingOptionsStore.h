#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

class FormLlenguatge;
class ReadingOptions;
class SettingsStore;

// The reading options and the interface language as the settings file keeps them:
// restored at start, stored as they change and again when the main window closes.

// Sets the reading options from section "LlibreriaLlegir": an option that is off by
// default is turned on only by exactly "SI", one that is on only turned off by exactly
// "NO". Whoever follows the options hears of each change.
void RestoreReadingOptions(const SettingsStore &settings, ReadingOptions &options);

// The stored "LLENGUA" row (default 1; a text that is not a number counts as the default).
int StoredInterfaceLanguage(const SettingsStore &settings);

// Selects the stored "LLENGUA" row (default 1) and applies it. A text that is not a
// number counts as the default; a number outside the list selects no row.
void RestoreInterfaceLanguage(const SettingsStore &settings, FormLlenguatge &languageWindow);

// What this copy of the program last saw of each reading key in the settings file: the
// stored text and its own value then. Another copy running at the same time may store
// a value meanwhile; this one must not write its stale value over it when it closes.
class SeenReadingSettings
{
public:
    void Saw(const QString &key, const QString &stored, const QString &ours) { m_seen.insert(key, {stored, ours}); }
    // True when another copy stored the key since and this copy has not changed it.
    bool ChangedElsewhere(const QString &key, const QString &storedNow, const QString &ours) const;

private:
    struct Seen
    {
        QString stored;
        QString ours;
    };
    QHash<QString, Seen> m_seen;
};

// Writes the ten reading options ("SI"/"NO") and then "LLENGUA", in that order, leaving
// out a key `seen` says another copy changed. Stops at the first write that fails and
// gives its message ("Unable to write to ..."), or an empty text when everything was stored.
QString StoreReadingOptionsAndLanguage(SettingsStore &settings, const ReadingOptions &options,
                                       const FormLlenguatge &languageWindow,
                                       const SeenReadingSettings *seen = nullptr);

// From now on writes each option and the interface language the moment it changes, so
// that a logout or a crash loses nothing; a failed write gives its message to report.
// Gives what this copy has seen of the keys, kept up to date, for the store at closing.
std::shared_ptr<SeenReadingSettings> StoreReadingOptionsAsTheyChange(SettingsStore &settings, ReadingOptions &options,
                                                                     FormLlenguatge &languageWindow,
                                                                     std::function<void(const QString &)> report);

// True while no voice has ever been stored: the speech window must then be shown
// before the editor is used.
bool NeedsFirstVoiceChoice(const SettingsStore &settings);
