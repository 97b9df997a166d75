#include "speech/ReadingOptionsStore.h"

#include "core/ReadingOptions.h"
#include "core/SettingsStore.h"
#include "speech/FormLlenguatge.h"
#include "speech/VoiceList.h"

namespace {

const QString kSection = QStringLiteral("LlibreriaLlegir");
const QString kYes = QStringLiteral("SI");
const QString kNo = QStringLiteral("NO");

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

void RestoreInterfaceLanguage(const SettingsStore &settings, FormLlenguatge &languageWindow)
{
    const QString stored =
        settings.ReadString(kSection, QStringLiteral("LLENGUA"), QString::number(kDefaultLanguage));
    languageWindow.SetLanguageIndex(ToInteger(stored).value_or(kDefaultLanguage));
    languageWindow.ListBoxLlenguatgeClick();
}

QString StoreReadingOptionsAndLanguage(SettingsStore &settings, const ReadingOptions &options,
                                       const FormLlenguatge &languageWindow)
{
    for (const ReadingOptionKey &entry : kReadingOptionKeys) {
        const QString value = options.IsOn(entry.option) ? kYes : kNo;
        if (!settings.WriteString(kSection, QLatin1String(entry.key), value))
            return settings.LastError();
    }
    if (!settings.WriteString(kSection, QStringLiteral("LLENGUA"), QString::number(languageWindow.LanguageIndex())))
        return settings.LastError();
    return {};
}

void StoreReadingOptionsAsTheyChange(SettingsStore &settings, ReadingOptions &options,
                                     FormLlenguatge &languageWindow,
                                     std::function<void(const QString &)> report)
{
    auto store = [&settings, report](const QString &key, const QString &value) {
        if (!settings.WriteString(kSection, key, value) && report)
            report(settings.LastError());
    };
    QObject::connect(&options, &ReadingOptions::changed, &languageWindow,
                     [store](ReadingOption option, bool on) {
                         for (const ReadingOptionKey &entry : kReadingOptionKeys)
                             if (entry.option == option)
                                 store(QLatin1String(entry.key), on ? kYes : kNo);
                     });
    QObject::connect(&languageWindow, &FormLlenguatge::languageApplied, &options,
                     [store](int index) { store(QStringLiteral("LLENGUA"), QString::number(index)); });
}

bool NeedsFirstVoiceChoice(const SettingsStore &settings)
{
    return StoredVoice::Read(settings).number == QLatin1String("-1");
}
