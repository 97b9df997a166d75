#pragma once

#include "core/AppPaths.h"
#include "core/ToolCommandLine.h"

#include <QStringList>

#include <optional>

// "spell [--language ca|es|...] FILE": every misspelled word of a document, one a line as
// "line:column word -> suggestions". Exit status 0 when there is none, 1 when there are
// some, 2 when the document or the dictionary cannot be used.
int RunSpellVerb(const QStringList &arguments, const AppPaths &paths);

// The session's language, or Catalan where the session names none.
QString DefaultLanguage();

// Reads the arguments of a verb that takes "--language LANG" and one FILE; `languages` is
// "what the language is for:the codes". Gives the exit status when the verb is to end
// there (help, version, wrong arguments), else the language (the session's by default);
// languageGiven, when asked, tells whether --language was given.
std::optional<int> ParseLanguageAndFile(ToolVerbLine line, const QString &languages, const QStringList &arguments,
                                        QString *language, QString *file, bool *languageGiven = nullptr);
