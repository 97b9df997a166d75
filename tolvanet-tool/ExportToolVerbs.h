#pragma once

#include "core/AppPaths.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line's audio export: "export-wav", "export-mp3" and "export-opus" with the
// arguments that follow the verb: [--name TEXT] [--voice N|VOICE] [--rate N]
// [--subtitles srt,lrc | --no-subtitles] [FILE]. The voice is an
// index of the voice list (or an espeak-ng voice name); the voice and rate default to the
// stored ones and the name to the file's base name. The sound file's path goes to
// stdout; a failure's reason to stderr with status 1 (also when the sound file was made
// but a subtitle file was not), a wrong argument with status 2.
// Other verbs are not ours: nothing.
std::optional<int> RunExportToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths);
