#pragma once

#include "tools/ReplaceAll.h"

#include <span>

// The ordered rewrites that turn Delphi source into Java-like text. The order matters:
// ":=" relies on "=" having become "==", brace comments are rewritten before blocks
// bring their own braces, and the forms with a trailing blank come before the bare ones.
std::span<const ReplacementRow> DelphiToJavaRows();

// "Delphi 2 Java" on the whole text.
TextConversion DelphiToJava(const QString &text);
