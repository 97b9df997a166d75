#include "app/view/ViewSettings.h"

#include "core/SettingsStore.h"

#include <algorithm>
#include <cstdlib>

namespace
{
struct ThemeName
{
    ViewTheme theme;
    const char *keyword;
};

constexpr ThemeName kThemeNames[] = {
    {ViewTheme::Light, "clar"},
    {ViewTheme::Cream, "crema"},
    {ViewTheme::Dark, "fosc"},
    {ViewTheme::HighContrast, "alt contrast"},
    {ViewTheme::System, "del sistema"},
};

int ReadClamped(const SettingsStore &settings, const QString &key, int fallback, int low, int high)
{
    const std::optional<int> value = ToInteger(settings.ReadString(ViewKeys::kSection, key, QString()));
    return value ? std::clamp(*value, low, high) : fallback;
}
} // namespace

int NearestFocusLines(int value)
{
    int best = 0;
    for (int choice : ViewSettings::kFocusChoices)
        if (std::abs(choice - value) < std::abs(best - value))
            best = choice;
    return best;
}

int NearestZoom(int value)
{
    const int clamped = std::clamp(value, ViewSettings::kMinZoom, ViewSettings::kMaxZoom);
    const int step = ViewSettings::kZoomStep;
    return (clamped + step / 2) / step * step;
}

QString ThemeKeyword(ViewTheme theme)
{
    for (const ThemeName &name : kThemeNames)
        if (name.theme == theme)
            return QString::fromLatin1(name.keyword);
    return QStringLiteral("clar");
}

ViewSettings ViewSettings::Read(const SettingsStore &settings)
{
    ViewSettings view;
    const std::optional<int> focus = ToInteger(settings.ReadString(ViewKeys::kSection, ViewKeys::kFocus, QString()));
    view.focusLines = focus ? NearestFocusLines(*focus) : 0;
    view.lineSpacing = ReadClamped(settings, ViewKeys::kLineSpacing, 100, kMinLineSpacing, kMaxLineSpacing);
    view.letterSpacing = ReadClamped(settings, ViewKeys::kLetterSpacing, 0, kMinLetterSpacing, kMaxLetterSpacing);
    view.wordSpacing = ReadClamped(settings, ViewKeys::kWordSpacing, 0, kMinWordSpacing, kMaxWordSpacing);
    const std::optional<int> zoom = ToInteger(settings.ReadString(ViewKeys::kSection, ViewKeys::kZoom, QString()));
    view.zoom = zoom ? NearestZoom(*zoom) : 100;
    const QString theme = settings.ReadString(ViewKeys::kSection, ViewKeys::kTheme, QString()).simplified().toLower();
    for (const ThemeName &name : kThemeNames)
        if (theme == QLatin1String(name.keyword))
            view.theme = name.theme;
    view.syllables = settings.ReadYes(ViewKeys::kSection, ViewKeys::kSyllables, false);
    view.wideCaret = settings.ReadYes(ViewKeys::kSection, ViewKeys::kWideCaret, false);
    return view;
}

bool WriteViewNumber(SettingsStore &settings, const QString &key, int value)
{
    // Numbers for the file are written as the C locale writes them, whatever the session's.
    return settings.WriteString(ViewKeys::kSection, key, QString::number(value));
}

bool WriteViewTheme(SettingsStore &settings, ViewTheme theme)
{
    return settings.WriteString(ViewKeys::kSection, ViewKeys::kTheme, ThemeKeyword(theme));
}
