#include "app/reading/LanguageVoicesBox.h"

#include "core/SettingsStore.h"
#include "speech/LanguageVoices.h"
#include "windows/InterfaceLanguages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include <array>

namespace
{
// The box's caption, in the order of the language list.
constexpr std::array<const char *, kLanguageCount> kCaption = {
    "Veus per llengua", "Voces por lengua", "Hizkuntza bakoitzeko ahotsak", "Voces por lingua",
    "Vozes por língua", "Voices by language", "Voix par langue",
};

// Each language in its own words, as a speaker of it looks for it.
QString Autonym(const QString &code)
{
    static const QList<std::pair<QString, QString>> names = {
        {"ca", "Català"}, {"es", "Español"}, {"en", "English"}, {"fr", "Français"}, {"pt", "Português"},
        {"gl", "Galego"}, {"eu", "Euskara"}, {"de", "Deutsch"}, {"it", "Italiano"}};
    for (const auto &[language, name] : names)
        if (language == code)
            return name;
    return code;
}
} // namespace

LanguageVoicesBox::LanguageVoicesBox(LanguageVoices &voices, SettingsStore &settings, QWidget *parent)
    : QGroupBox(QString::fromUtf8(kCaption[0]), parent), m_voices(voices), m_settings(settings)
{
    setObjectName(QStringLiteral("GroupBoxVeusPerLlengua"));
    m_rows = new QFormLayout(this);
    Refresh();
}

void LanguageVoicesBox::Relabel(int language)
{
    if (language >= 0 && language < kLanguageCount)
        setTitle(QString::fromUtf8(kCaption[size_t(language)]));
}

void LanguageVoicesBox::Refresh()
{
    while (m_rows->rowCount() > 0)
        m_rows->removeRow(0);
    for (const LanguageVoices::Row &row : m_voices.Rows()) {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("ComboVeu_") + row.language);
        box->addItems(row.voices);
        box->setCurrentIndex(int(row.voices.indexOf(row.chosen)));
        const QString name = Autonym(row.language);
        // Read out as the label beside it, as every control of the window.
        box->setAccessibleName(name);
        auto *label = new QLabel(name, this);
        label->setBuddy(box);
        m_rows->addRow(label, box);
        const QString language = row.language;
        connect(box, &QComboBox::activated, this, [this, box, language] {
            if (!m_voices.Choose(language, box->currentText(), m_settings) && m_tell && !m_settings.LastError().isEmpty())
                m_tell(m_settings.LastError());
        });
    }
}

QComboBox *LanguageVoicesBox::VoiceBox(const QString &language) const
{
    return findChild<QComboBox *>(QStringLiteral("ComboVeu_") + language);
}
