#include "speech/ReadingOptionsStore.h"

#include "app/SettingsStore.h"
#include "speech/FormLlenguatge.h"
#include "speech/FormTTS.h"

namespace {

const QString kSection = QStringLiteral("LlibreriaLlegir");
const QString kYes = QStringLiteral("SI");
const QString kNo = QStringLiteral("NO");

struct OptionKey
{
    ReadingOption option;
    const char *key;
    bool onByDefault;
};

// In the order they are written at close.
constexpr OptionKey kOptionKeys[] = {
    {ReadingOption::Letters, "LLEGIR LLETRES", false},
    {ReadingOption::WordOnSpace, "LLEGIR PARAULES", false},
    {ReadingOption::SentenceOnFullStop, "LLEGIR FRASE", false},
    {ReadingOption::SelectionOnMouseUp, "LLEGIR A LAIXECAR EL CLIC", false},
    {ReadingOption::PastedToClipboard, "LLEGIR DIRECTAMENT EL CONTINGUT DE LA CARPETA QUAN CANVIA", false},
    {ReadingOption::ReadAll, "F7", true},
    {ReadingOption::ReadSelected, "F8", true},
    {ReadingOption::ReadClipboard, "F9", true},
    {ReadingOption::ReadWordByWord, "F10", true},
    {ReadingOption::SelectedText, "CheckBoxSelectedText", false},
};

constexpr int kDefaultLanguage = 1;

} // namespace

void RestoreReadingOptions(const SettingsStore &settings, FormTTS &speechWindow)
{
    for (const OptionKey &entry : kOptionKeys) {
        // Only the exact opposite of the default changes a box.
        const bool on = settings.ReadYes(kSection, QLatin1String(entry.key), entry.onByDefault);
        if (on != entry.onByDefault)
            speechWindow.SetOptionChecked(entry.option, on);
    }
}

void RestoreInterfaceLanguage(const SettingsStore &settings, FormLlenguatge &languageWindow)
{
    const QString stored =
        settings.ReadString(kSection, QStringLiteral("LLENGUA"), QString::number(kDefaultLanguage));
    languageWindow.SetLanguageIndex(ToInteger(stored).value_or(kDefaultLanguage));
    languageWindow.ListBoxLlenguatgeClick();
}

QString StoreReadingOptionsAndLanguage(SettingsStore &settings, const FormTTS &speechWindow,
                                       const FormLlenguatge &languageWindow)
{
    for (const OptionKey &entry : kOptionKeys) {
        const QString value = speechWindow.IsOptionChecked(entry.option) ? kYes : kNo;
        if (!settings.WriteString(kSection, QLatin1String(entry.key), value))
            return settings.LastError();
    }
    if (!settings.WriteString(kSection, QStringLiteral("LLENGUA"), QString::number(languageWindow.LanguageIndex())))
        return settings.LastError();
    return {};
}

bool NeedsFirstVoiceChoice(const SettingsStore &settings)
{
    return settings.ReadString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"), QStringLiteral("-1"))
           == QStringLiteral("-1");
}
