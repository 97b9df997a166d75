#pragma once

#include "tools/ReplaceAll.h"

#include <span>

// Removes everything from a "<" to the next ">" ("Tr&eure els tags"). A "<" with no ">"
// after it stops the removal and stays selected; a ">" with no "<" before it stays.
TextConversion RemoveTags(const QString &text);

// Removes what a word processor's HTML export leaves behind ("Treure palla del &WORD").
TextConversion CleanWordHtml(const QString &text);
std::span<const ReplacementRow> CleanWordHtmlRows();
