#pragma once

#include "core/LanguageTexts.h"

#include <QString>

// The rows below are the interface languages in list order.
inline constexpr int kSynthesizerMissingLanguages = kInterfaceLanguageCount;

// What is said when the Catalan woman's synthesizer (festival and its ona voice) is not
// installed, in an interface language (an index of the language list; Catalan outside
// it): the packages to install, and the command that installs them.
QString SynthesizerMissingText(int language);
