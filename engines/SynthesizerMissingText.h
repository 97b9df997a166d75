#pragma once

#include <QString>

#include <cstddef>

// The rows below are the interface languages in list order.
inline constexpr int kSynthesizerMissingLanguages = 7;

// The row of a table in those languages for an interface language; Catalan's outside
// the list.
inline std::size_t LanguageRow(int language)
{
    return language >= 0 && language < kSynthesizerMissingLanguages ? std::size_t(language) : 0;
}

// What is said when the Catalan woman's synthesizer (festival and its ona voice) is not
// installed, in an interface language (an index of the language list; Catalan outside
// it): the packages to install, and the command that installs them.
QString SynthesizerMissingText(int language);
