#include "windows/ReadingOptionsStore.h"

#include "core/ReadingOptions.h"
#include "core/SettingsStore.h"
#include "windows/FormLlenguatge.h"
#include "speech/VoiceList.h"

namespace {

const QString kSection = QStringLiteral("LlibreriaLlegir");
const QString kYes = QStringLiteral("SI");
const QString kNo = QStringLiteral("NO");
const QString kLanguageKey = QStringLiteral("LLENGUA");

constexpr int kDefaultLanguage = 1;

} // namespace

void RestoreReadingOptions(const SettingsStore &settings, ReadingOptions &options)
{
    for (const ReadingOptionKey &entry : kReadingOptionKeys) {
        // Only the exact opposite of the default changes an option.
        const bool on = settings.ReadYes(kSection, QLatin1String(entry.key), entry.onByDefault);
        if (on != entry.onByDefault)
            options.Set(entry.option, on);
    }
}

int StoredInterfaceLanguage(const SettingsStore &settings)
{
    const QString stored = settings.ReadString(kSection, kLanguageKey, QString::number(kDefaultLanguage));
    return ToInteger(stored).value_or(kDefaultLanguage);
}

void RestoreInterfaceLanguage(const SettingsStore &settings, FormLlenguatge &languageWindow)
{
    languageWindow.SetLanguageIndex(StoredInterfaceLanguage(settings));
    languageWindow.ListBoxLlenguatgeClick();
}

bool SeenReadingSettings::ChangedElsewhere(const QString &key, const QString &storedNow, const QString &ours) const
{
    const auto seen = m_seen.constFind(key);
    return seen != m_seen.constEnd() && storedNow != seen->stored && ours == seen->ours;
}

QString StoreReadingOptionsAndLanguage(SettingsStore &settings, const ReadingOptions &options,
                                       const FormLlenguatge &languageWindow, const SeenReadingSettings *seen)
{
    auto store = [&](const QString &key, const QString &value) {
        if (seen && seen->ChangedElsewhere(key, settings.ReadString(kSection, key, QString()), value))
            return true;
        return settings.WriteString(kSection, key, value);
    };
    for (const ReadingOptionKey &entry : kReadingOptionKeys)
        if (!store(QLatin1String(entry.key), options.IsOn(entry.option) ? kYes : kNo))
            return settings.LastError();
    if (!store(kLanguageKey, QString::number(languageWindow.LanguageIndex())))
        return settings.LastError();
    return {};
}

std::shared_ptr<SeenReadingSettings> StoreReadingOptionsAsTheyChange(SettingsStore &settings, ReadingOptions &options,
                                                                     FormLlenguatge &languageWindow,
                                                                     std::function<void(const QString &)> report)
{
    auto seen = std::make_shared<SeenReadingSettings>();
    for (const ReadingOptionKey &entry : kReadingOptionKeys) {
        const QString key = QLatin1String(entry.key);
        seen->Saw(key, settings.ReadString(kSection, key, QString()), options.IsOn(entry.option) ? kYes : kNo);
    }
    seen->Saw(kLanguageKey, settings.ReadString(kSection, kLanguageKey, QString()),
              QString::number(languageWindow.LanguageIndex()));

    auto store = [&settings, report, seen](const QString &key, const QString &value) {
        if (settings.WriteString(kSection, key, value))
            seen->Saw(key, value, value);
        else if (report)
            report(settings.LastError());
    };
    QObject::connect(&options, &ReadingOptions::changed, &languageWindow,
                     [store](ReadingOption option, bool on) {
                         for (const ReadingOptionKey &entry : kReadingOptionKeys)
                             if (entry.option == option)
                                 store(QLatin1String(entry.key), on ? kYes : kNo);
                     });
    QObject::connect(&languageWindow, &FormLlenguatge::languageApplied, &options,
                     [store](int index) { store(kLanguageKey, QString::number(index)); });
    return seen;
}

bool NeedsFirstVoiceChoice(const SettingsStore &settings)
{
    return StoredVoice::Read(settings).number == QLatin1String("-1");
}
