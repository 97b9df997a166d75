#pragma once

#include "windows/CaptionRows.h"

// The captions of both windows together, as one table in the order they are relabelled:
// the speech window's rows first, then the main window's.

std::span<const CaptionRow> CaptionTable();
// The added texts of both windows.
std::span<const AddedRow> AddedTable();

// The caption of a control of either window in a language, or a null string when either
// is unknown.
QString InterfaceCaption(int language, const QString &control);

// Relabels the speech window and the main window in the given language, with Qt's own
// dialogs, without the language model. Any index outside 0..6 changes nothing. Gives the
// names of table controls that were not found (a null root is skipped entirely).
QStringList ApplyInterfaceLanguage(int language, QObject *mainWindow, QObject *speechWindow);
