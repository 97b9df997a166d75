#pragma once

#include "core/AppPaths.h"

#include <QStringList>

// "print [--pdf OUT.pdf] [FILE]": prints the document as the editor's "Imprimir" does, in
// the editor font of the settings file, to a PDF file or to the default printer. Needs a
// QGuiApplication. Returns the exit status.
int RunPrintVerb(const QStringList &arguments, const AppPaths &paths);
