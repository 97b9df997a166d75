// Whether a recording is long enough to hold its text: a synthesizer that failed
// without saying so leaves an empty or clipped WAV file behind.
#pragma once

#include <QString>

#include <optional>

namespace RecordingLength {

// The sound of a PCM WAV file, from its format and data chunks.
struct WavSound
{
    quint32 sampleRate = 0;
    qint64 frames = 0;  // samples of each channel
    qint64 ms = 0;
};
// Nothing when the file is not a WAV file that can be read.
std::optional<WavSound> WavSoundOf(const QString &path);

// How long the sound of a PCM WAV file lasts, in milliseconds; nothing when the file is
// not a WAV file that can be read.
std::optional<qint64> WavSoundMs(const QString &path);

// The shortest recording that can hold what the text says, in milliseconds: no voice
// says a hundred Latin letters or digits in a second, at any rate.
qint64 ShortestMsFor(const QString &text);

// Empty when the WAV file at path is long enough for the text; else why not, in the
// words of the export's other reasons.
QString Problem(const QString &path, const QString &text);

} // namespace RecordingLength
