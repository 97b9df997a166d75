#pragma once

#include "windows/CaptionRows.h"

#include <QString>

// The reading view's menu items and status texts in the seven interface languages.

enum class ViewMessage { TextSize, LineSpacing, LetterSpacing, WordSpacing, FontMissing };

// The submenu and its items, by objectName.
std::span<const AddedRow> ReadingViewCaptionRows();

// A status text in a language (0..6; Catalan outside), with the value in it.
QString ViewMessageText(ViewMessage message, int language, int value = 0);

// Relabels the reading view's items found under `root`.
void RelabelReadingView(int language, QObject *root);
