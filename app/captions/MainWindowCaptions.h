#pragma once

#include "windows/CaptionRows.h"

// The main window's captions in the seven interface languages: the menus of the design
// and what the languages add to them (the window commands of "&Opcions", the toolbar's
// hints, the names of controls without a visible label).

std::span<const CaptionRow> MainWindowCaptionRows();
std::span<const AddedRow> MainWindowAddedRows();

// Relabels a main window in a language and keeps that language in its
// kInterfaceLanguageProperty. An index outside 0..6 or a null window changes nothing.
// Gives the names of caption rows whose control was not found.
QStringList RelabelMainWindow(int language, QObject *mainWindow);
