#pragma once

#include "app/view/ViewSettings.h"

#include <QColor>
#include <QPalette>

// The colours of each theme of the reading view: text on its background at a contrast of
// 7:1 at least, and a selection that stays readable on it.
struct ThemeColours
{
    QColor text;
    QColor base;
    QColor highlight;
    QColor highlightedText;
};

// The theme's colours; the light theme keeps `current` (the editor as it is), the system's
// follows `system` (the desktop's palette), made readable where it is not.
ThemeColours ColoursOfTheme(ViewTheme theme, const QPalette &current, const QPalette &system);

// `palette` with the theme's colours in every colour group.
QPalette PaletteWithColours(QPalette palette, const ThemeColours &colours);
