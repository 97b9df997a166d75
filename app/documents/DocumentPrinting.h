#pragma once

#include <QFont>
#include <QString>

class QPagedPaintDevice;

// Fonts in pixels are measured on the screen; this is what a pixel is when none is known.
constexpr double kStandardScreenDpi = 96.0;

// The font as the screen shows it, sized in points so that a printer of any resolution
// prints it at the size the reader sees (a 13-pixel font prints at about 10 points).
QFont PrintFont(const QFont &screenFont, double screenDpi);

// Prints the document's lines in that font, each line of the text a printed line that
// wraps at the page's width, with margins round every page and the page numbers.
void PrintDocumentText(const QString &text, const QFont &screenFont, double screenDpi,
                       QPagedPaintDevice *printer);
