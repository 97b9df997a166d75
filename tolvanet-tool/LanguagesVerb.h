#pragma once

#include "core/AppPaths.h"

#include <QStringList>

// "languages FILE": the language of each paragraph of a document that has words, and the
// voice that reads it when the reading changes voice with the language. Exit status 2 for
// a document it cannot read and for wrong arguments.
int RunLanguagesVerb(const QStringList &arguments, const AppPaths &paths);
