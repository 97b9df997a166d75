#pragma once

#include <QString>
#include <QStringView>

class EditorText;

// How a markup command places its texts around the selection.
enum class MarkupKind {
    Wrap,   // opening text before the selection, closing text after; the selection stays on the same characters
    Before, // one text before the selection; the selection stays on the same characters
    Link,   // like Wrap, then the caret goes where the address or the link text is typed
};

// Puts the markup around the editor's selection (or at the caret).
void ApplyMarkup(EditorText &editor, MarkupKind kind, QStringView opening,
                 QStringView closing = {});

// The HTML that shows symbol in the Symbol font.
QString SymbolFontText(QStringView symbol);
