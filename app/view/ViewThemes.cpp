#include "app/view/ViewThemes.h"

#include "app/window/EditorFont.h"

namespace
{
ThemeColours FromPalette(const QPalette &palette)
{
    return {palette.color(QPalette::Text), palette.color(QPalette::Base), palette.color(QPalette::Highlight),
            palette.color(QPalette::HighlightedText)};
}

// Black or white, whichever reads better on the colour.
QColor ReadableOn(const QColor &background)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

// The desktop's colours, with the text turned black or white where it reads poorly
// on the desktop's background.
ThemeColours ReadableSystemColours(const QPalette &system)
{
    ThemeColours colours = FromPalette(system);
    if (ContrastRatio(colours.text, colours.base) < 7.0)
        colours.text = ReadableOn(colours.base);
    if (ContrastRatio(colours.highlightedText, colours.highlight) < 4.5)
        colours.highlightedText = ReadableOn(colours.highlight);
    return colours;
}
} // namespace

ThemeColours ColoursOfTheme(ViewTheme theme, const QPalette &current, const QPalette &system)
{
    switch (theme) {
    case ViewTheme::Cream:
        return {QColor(0x2e, 0x24, 0x18), QColor(0xfa, 0xf3, 0xe3), QColor(0x6b, 0x45, 0x10), QColor(0xff, 0xfb, 0xf2)};
    case ViewTheme::Dark:
        return {QColor(0xe8, 0xe4, 0xdc), QColor(0x1e, 0x1e, 0x20), QColor(0x9c, 0xc4, 0xff), QColor(0x10, 0x10, 0x12)};
    case ViewTheme::HighContrast:
        return {QColor(Qt::white), QColor(Qt::black), QColor(Qt::yellow), QColor(Qt::black)};
    case ViewTheme::System:
        return ReadableSystemColours(system);
    case ViewTheme::Light:
        break;
    }
    return FromPalette(current);
}

QPalette PaletteWithColours(QPalette palette, const ThemeColours &colours)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, colours.text);
        palette.setColor(group, QPalette::Base, colours.base);
        palette.setColor(group, QPalette::Highlight, colours.highlight);
        palette.setColor(group, QPalette::HighlightedText, colours.highlightedText);
    }
    return palette;
}
