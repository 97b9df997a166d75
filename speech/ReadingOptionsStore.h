#pragma once

#include <QString>

#include <functional>

class FormLlenguatge;
class ReadingOptions;
class SettingsStore;

// The reading options and the interface language as the settings file keeps them:
// restored at start, stored as they change and again when the main window closes.

// Sets the reading options from section "LlibreriaLlegir": an option that is off by
// default is turned on only by exactly "SI", one that is on only turned off by exactly
// "NO". Whoever follows the options hears of each change.
void RestoreReadingOptions(const SettingsStore &settings, ReadingOptions &options);

// Selects the stored "LLENGUA" row (default 1) and applies it. A text that is not a
// number counts as the default; a number outside the list selects no row.
void RestoreInterfaceLanguage(const SettingsStore &settings, FormLlenguatge &languageWindow);

// Writes the ten reading options ("SI"/"NO") and then "LLENGUA", in that order.
// Stops at the first write that fails and gives its message ("Unable to write to ..."),
// or an empty text when everything was stored.
QString StoreReadingOptionsAndLanguage(SettingsStore &settings, const ReadingOptions &options,
                                       const FormLlenguatge &languageWindow);

// From now on writes each option and the interface language the moment it changes, so
// that a logout or a crash loses nothing; a failed write gives its message to report.
void StoreReadingOptionsAsTheyChange(SettingsStore &settings, ReadingOptions &options,
                                     FormLlenguatge &languageWindow,
                                     std::function<void(const QString &)> report);

// True while no voice has ever been stored: the speech window must then be shown
// before the editor is used.
bool NeedsFirstVoiceChoice(const SettingsStore &settings);
