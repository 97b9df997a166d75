#include "tools/HtmlMarkup.h"

#include "core/EditorText.h"

void ApplyMarkup(EditorText &editor, MarkupKind kind, QStringView opening, QStringView closing)
{
    const int start = editor.SelStart();
    const int length = editor.SelLength();
    const int openingLength = int(opening.size());
    // The closing text goes in first, so that start still holds for the opening text.
    if (kind != MarkupKind::Before)
        editor.Replace(start + length, 0, closing.toString());
    editor.Replace(start, 0, opening.toString());
    if (kind != MarkupKind::Link) {
        editor.Select(start + openingLength, length);
    } else if (length == 0) {
        // Between the quotes, to type the address.
        editor.Select(start + openingLength, 0);
    } else {
        // After the quote and ">" that close the opening tag, to type the link's text.
        editor.Select(start + openingLength + length + 2, 0);
    }
}

QString SymbolFontText(QStringView symbol)
{
    return QStringLiteral("<FONT FACE=\"Symbol\">") + symbol.toString() + QStringLiteral("</FONT>");
}
