#pragma once

#include "core/documents/DocumentConversion.h"

#include <QString>

// What the window says about recognised pages, in an interface language (an index of
// the language list; Catalan outside it).

// The progress window's line: "Pàgina 3 de 12".
QString PageOfText(int language, int page, int total);

// What the status line adds after a recognised document's name: the recogniser's mean
// confidence and the pages it was unsure of. Empty when nothing was recognised.
QString RecognitionStatusText(int language, const ConvertedDocument &document);

