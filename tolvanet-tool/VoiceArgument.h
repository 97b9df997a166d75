// The voice a --voice value names by words, for the verbs that speak and export.
#pragma once

#include <QString>

#include <optional>

class SpeechController;

// The row of the voice list that a name picks: the entry exactly as "tolvanet-tool voices"
// lists it ("UPCTV - Dona - Català"), then in any case, then an espeak-ng voice by its
// file name or language ("ca", "es", "roa/ca"). Nothing when none matches.
std::optional<int> VoiceRowByName(const QString &name, const SpeechController &voices);
