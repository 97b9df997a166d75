#pragma once

// The families of the voice list, in list order: the espeak-ng voices (MSP), the
// speech-dispatcher voices (SAPI) and the run-time loaded library's four (UPCTV).
enum class VoiceFamily { Msp, Sapi, Upctv };

// A voice as every part of the program names it: its family and its place within the
// family. Index -1 of the first family is "no voice chosen": the engine's own default.
struct VoiceId
{
    VoiceFamily family = VoiceFamily::Msp;
    int index = 0;
    bool operator==(const VoiceId &) const = default;
};

inline constexpr VoiceId kNoVoiceChosen{VoiceFamily::Msp, -1};
