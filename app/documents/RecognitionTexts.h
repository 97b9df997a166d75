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


// The status line while the later pages of an open document are still read:
// "Pàgina 3 de 12. F11 atura el reconeixement."
QString PagesComingText(int language, int page, int total);
// The status line once the user stopped the later pages: how many were read and shown.
QString PagesStoppedText(int language, int shown, int total);
