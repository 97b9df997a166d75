#pragma once

#include <QString>

class SettingsStore;

// The reading view's options, kept in the section "Vista" of the settings file. Every
// default shows the window as it was before the view existed.

enum class ViewTheme { Light, Cream, Dark, HighContrast, System };

struct ViewSettings
{
    static constexpr int kFocusChoices[] = {0, 1, 3, 5};
    static constexpr int kMinLineSpacing = 100, kMaxLineSpacing = 300;
    static constexpr int kMinLetterSpacing = 0, kMaxLetterSpacing = 50;
    static constexpr int kMinWordSpacing = 0, kMaxWordSpacing = 200;
    static constexpr int kMinZoom = 50, kMaxZoom = 400, kZoomStep = 10;

    int focusLines = 0;   // lines left bright around the one being read; 0 is off
    int lineSpacing = 100; // % of the font's own line height
    int letterSpacing = 0; // % of the font's average character width
    int wordSpacing = 0;   // % of the width of a blank
    ViewTheme theme = ViewTheme::Light;
    int zoom = 100;        // % of the editor font's size
    bool syllables = false;
    bool wideCaret = false;

    // Reads the section; a value out of range, not a number or missing becomes the
    // nearest allowed one (the default when there is none to be near).
    static ViewSettings Read(const SettingsStore &settings);
    friend bool operator==(const ViewSettings &, const ViewSettings &) = default;
};

// The allowed value nearest to what a hand-edited file holds.
int NearestFocusLines(int value);
int NearestZoom(int value);

// The stored names of the themes ("clar", "crema", "fosc", "alt contrast", "del sistema").
QString ThemeKeyword(ViewTheme theme);

// Each option as it is written; false (with the store's error) when the file refused it.
namespace ViewKeys
{
inline const QString kSection = QStringLiteral("Vista");
inline const QString kFocus = QStringLiteral("FOCUS");
inline const QString kLineSpacing = QStringLiteral("INTERLINEAT");
inline const QString kLetterSpacing = QStringLiteral("ESPAI LLETRES");
inline const QString kWordSpacing = QStringLiteral("ESPAI PARAULES");
inline const QString kTheme = QStringLiteral("TEMA");
inline const QString kZoom = QStringLiteral("ZOOM");
inline const QString kSyllables = QStringLiteral("SIL·LABES");
inline const QString kWideCaret = QStringLiteral("CURSOR AMPLE");
} // namespace ViewKeys

bool WriteViewNumber(SettingsStore &settings, const QString &key, int value);
bool WriteViewTheme(SettingsStore &settings, ViewTheme theme);
