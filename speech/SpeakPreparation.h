#pragma once

#include <QByteArray>
#include <QString>

// How a text on its way to an engine is prepared: the sound-file test, the sound
// folder and the text the run-time loaded library is given.
// Letters A-Z lowered, every other character as it is.
QString FoldAsciiCase(const QString &text);

namespace SpeakPreparation {

enum class SoundFile { None, Wave, Mp3 };

// A text names a sound file when its last four characters, with a-z raised, are
// ".WAV" or ".MP3"; there is no other test of the name.
SoundFile SoundFileKind(const QString &text);

// The folder of the dictionary file with its final separator; empty for no file.
QString SoundFolder(const QString &dictionaryFileName);

// The library's text: A-Z lowered (nothing else changes) and one blank added.
QString UpctvText(const QString &text);

// The 8-bit text handed to the library: Windows-1252, a character it lacks as "?",
// cut at the first zero character (the library takes a zero-terminated text).
QByteArray UpctvBytes(const QString &text);

// What the library is given to speak a text: UpctvBytes of UpctvText.
QByteArray UpctvLibraryText(const QString &text);

} // namespace SpeakPreparation
