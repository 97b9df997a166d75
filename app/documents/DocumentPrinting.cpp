#include "app/documents/DocumentPrinting.h"

#include <QPagedPaintDevice>
#include <QTextDocument>
#include <QTextOption>

QFont PrintFont(const QFont &screenFont, double screenDpi)
{
    QFont font = screenFont;
    if (screenFont.pixelSize() > 0) {
        const double dpi = screenDpi > 0 ? screenDpi : kStandardScreenDpi;
        font.setPointSizeF(screenFont.pixelSize() * 72.0 / dpi);
    }
    return font;
}

void PrintDocumentText(const QString &text, const QFont &screenFont, double screenDpi,
                       QPagedPaintDevice *printer)
{
    if (!printer)
        return;
    QTextDocument document;
    document.setDefaultFont(PrintFont(screenFont, screenDpi));
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
    document.setPlainText(text);
    // Without a page size of its own the document lays itself out on the printer's page,
    // in the printer's resolution, with margins of two centimetres.
    document.print(printer);
}
