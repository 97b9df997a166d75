#include "app/window/EditorFont.h"

#include "core/SettingsStore.h"

#include <QFontInfo>

#include <algorithm>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("Font Missatge");

QString YesNo(bool value)
{
    return value ? QStringLiteral("SI") : QStringLiteral("NO");
}

// Colours are stored as the Windows colour value: red in the low byte.
int ColorValue(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

// The largest font size, in pixels or points, the editor draws.
constexpr int kLargestFontSize = 1000;

int FontSizeWithinReach(qint64 size)
{
    return static_cast<int>(std::clamp<qint64>(size, 1, kLargestFontSize));
}

QColor FromColorValue(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

QFont DesignEditorFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    return font;
}

bool ReadEditorFont(const SettingsStore &settings, EditorFontChoice &choice, QStringList *problems)
{
    if (!settings.ReadYes(kSection, QStringLiteral("HiHaFontMissatge"), false))
        return false;
    auto number = [&](const char *key) -> std::optional<int> {
        const QString text = settings.ReadString(kSection, QString::fromLatin1(key), QStringLiteral("0"));
        const auto value = ToInteger(text);
        if (!value && problems)
            *problems << QString::fromLatin1(key);
        return value;
    };
    number("Charset"); // a character set has no meaning for Qt fonts; it is still checked
    if (const auto color = number("Color"))
        choice.color = FromColorValue(*color);
    // Heights are stored negative (the character height, as Windows stores it); any size
    // beyond what a font can be drawn at is brought within it.
    if (const auto height = number("Height"); height && *height != 0)
        choice.font.setPixelSize(FontSizeWithinReach(*height < 0 ? -static_cast<qint64>(*height) : *height));
    const QString name = settings.ReadString(kSection, QStringLiteral("Name"), QStringLiteral("0"));
    if (!name.isEmpty() && name != QLatin1String("0"))
        choice.font.setFamily(name);
    if (const auto size = number("Size"); size && *size > 0)
        choice.font.setPointSize(FontSizeWithinReach(*size));
    auto yes = [&](const char *key) {
        return settings.ReadString(kSection, QString::fromUtf8(key), QStringLiteral("0")) == QLatin1String("SI");
    };
    if (yes("Negreta"))
        choice.font.setBold(true);
    if (yes("Itàlica"))
        choice.font.setItalic(true);
    if (yes("Subrratllat"))
        choice.font.setUnderline(true);
    if (yes("Tatxat"))
        choice.font.setStrikeOut(true);
    return true;
}

bool WriteEditorFont(SettingsStore &settings, const EditorFontChoice &choice)
{
    const QFont &font = choice.font;
    const QFontInfo info(font);
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : info.pixelSize();
    const int points = font.pointSize() > 0 ? font.pointSize() : qRound(info.pointSizeF());
    const QList<std::pair<QString, QString>> values = {
        {QStringLiteral("HiHaFontMissatge"), QStringLiteral("SI")},
        {QStringLiteral("Charset"), QStringLiteral("1")},
        {QStringLiteral("Color"), QString::number(ColorValue(choice.color))},
        {QStringLiteral("Height"), QString::number(-pixels)},
        {QStringLiteral("Name"), font.family()},
        {QStringLiteral("Size"), QString::number(points)},
        {QStringLiteral("Negreta"), YesNo(font.bold())},
        {QStringLiteral("Itàlica"), YesNo(font.italic())},
        {QStringLiteral("Subrratllat"), YesNo(font.underline())},
        {QStringLiteral("Tatxat"), YesNo(font.strikeOut())},
    };
    for (const auto &[key, value] : values)
        if (!settings.WriteString(kSection, key, value))
            return false;
    return true;
}

namespace {

// Text this readable or more is fit for readers with low vision.
constexpr double kReadableContrast = 4.5;

double Luminance(const QColor &color)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

EditorColors ReadableEditorColors(const QColor &stored, const EditorColors &theme)
{
    if (ContrastRatio(stored, theme.base) >= kReadableContrast)
        return {stored, theme.base};
    if (stored == QColor(Qt::black))
        return theme;
    const QColor white(Qt::white);
    const QColor black(Qt::black);
    return {stored, ContrastRatio(stored, white) >= ContrastRatio(stored, black) ? white : black};
}
