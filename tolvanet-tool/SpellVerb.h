#pragma once

#include "core/AppPaths.h"

#include <QStringList>

// "spell [--language ca|es|...] FILE": every misspelled word of a document, one a line as
// "line:column word -> suggestions". Exit status 0 when there is none, 1 when there are
// some, 2 when the document or the dictionary cannot be used.
int RunSpellVerb(const QStringList &arguments, const AppPaths &paths);

// The session's language, or Catalan where the session names none.
QString DefaultLanguage();
