#include "tools/ConversionEdit.h"

#include "core/EditorText.h"

void ApplyConversion(EditorText &editor, const QString &before, const TextConversion &after)
{
    editor.SetTextFrom(before, after.text);
    editor.Select(after.selStart, after.selLength);
}
