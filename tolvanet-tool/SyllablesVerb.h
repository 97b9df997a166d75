#pragma once

#include <QStringList>

// "syllables [--language ca|es|...] FILE": the document's text with the syllables of each
// word parted by "-". Exit status 0, 2 when the document or the language cannot be used.
int RunSyllablesVerb(const QStringList &arguments);
