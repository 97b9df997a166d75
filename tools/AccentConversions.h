#pragma once

#include "tools/ReplaceAll.h"

#include <span>

// The accent tables of the HTML and Java menus. No row of these tables can produce or
// break up a match of another row, so each conversion is computed in one pass over the
// text; the result and the caret are those of applying the rows one after another.

// Accented letters to HTML entities ("&Accents -> HTML").
TextConversion AccentsToHtml(const QString &text);
// HTML entities to accented letters ("&HTML -> accents"); the entities are matched
// exactly as written, letter case included.
TextConversion HtmlToAccents(const QString &text);
// Accented letters to Java escapes such as \u00e9 ("Canviar accents a Unicode").
TextConversion AccentsToUnicode(const QString &text);
// Java escapes with lower-case hexadecimal digits back to accented letters
// ("Canviar Unicode a accents").
TextConversion UnicodeToAccents(const QString &text);

// The two conversions of single characters, which give the same result on a text cut
// anywhere: each appends its conversion of text to out.
void AppendAccentsToHtml(QStringView text, QString &out);
void AppendAccentsToUnicode(QStringView text, QString &out);

// The tables themselves, in the order the rows apply.
std::span<const ReplacementRow> AccentsToHtmlRows();
std::span<const ReplacementRow> HtmlToAccentsRows();
std::span<const ReplacementRow> AccentsToUnicodeRows();
std::span<const ReplacementRow> UnicodeToAccentsRows();
