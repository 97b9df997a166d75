#pragma once

#include "core/AppPaths.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line's speech verbs: "voices" prints the voice list, "say" speaks a
// text with the user's voice, rate and dictionary. Nothing for any other verb;
// otherwise the exit status, after printing to stdout/stderr.
std::optional<int> RunSpeechToolVerb(const QString &verb, const QStringList &arguments, const AppPaths &paths);
