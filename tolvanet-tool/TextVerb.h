#pragma once

#include <QStringList>

// "text [--password-file F] FILE": the text of a document of any kind as the editor opens
// it. Exit status 1 when the document cannot be read, 2 for wrong arguments.
int RunTextVerb(const QStringList &arguments);
