#pragma once

#include <QString>

#include <array>
#include <cstddef>

// Texts the program shows in each of its seven interface languages, in the order of the
// language list: Catalan, Spanish, Basque, Galician, Portuguese, English, French.
inline constexpr int kInterfaceLanguageCount = 7;
using LanguageTexts = std::array<const char *, kInterfaceLanguageCount>;

// The row of such a table for an interface language (an index of the language list);
// Catalan's outside the list.
inline std::size_t LanguageRow(int language)
{
    return language >= 0 && language < kInterfaceLanguageCount ? std::size_t(language) : 0;
}

// The text of the table in an interface language.
inline QString TextIn(const LanguageTexts &texts, int language)
{
    return QString::fromUtf8(texts[LanguageRow(language)]);
}
