#pragma once

#include <QGroupBox>

#include <functional>

class LanguageVoices;
class QComboBox;
class QFormLayout;
class SettingsStore;

// "Veus per llengua" in the speech window: a row per language a listed voice speaks, named
// by the language in its own words, with the voice that reads it chosen from that
// language's voices. A choice is kept in the settings file at once.
class LanguageVoicesBox : public QGroupBox
{
    Q_OBJECT
public:
    LanguageVoicesBox(LanguageVoices &voices, SettingsStore &settings, QWidget *parent = nullptr);

    // Shows the languages and their voices again (the voice list changed).
    void Refresh();
    // The caption in the interface language `language` (an index of the language list).
    void Relabel(int language);
    // The row of a language ("ca"); null when no voice speaks it.
    QComboBox *VoiceBox(const QString &language) const;
    // Where a failed write of the settings is told.
    void SetTell(std::function<void(const QString &)> tell) { m_tell = std::move(tell); }

private:
    LanguageVoices &m_voices;
    SettingsStore &m_settings;
    QFormLayout *m_rows = nullptr;
    std::function<void(const QString &)> m_tell;
};
