#pragma once

#include "tools/ReplaceAll.h"

class EditorText;

// Writes a conversion of before (the editor's text as it was read) back to the editor
// as one edit of the part that changed, then sets the selection.
void ApplyConversion(EditorText &editor, const QString &before, const TextConversion &after);
