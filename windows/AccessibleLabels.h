#pragma once

#include "windows/InterfaceLanguages.h"

#include <QString>

#include <span>

class QObject;

// What the interface languages add for keyboard and screen-reader users beside the
// design's captions: the captions of the window commands in "&Opcions", the hints of
// the toolbar and the names of controls that have no visible label.

enum class AddedText {
    Caption, // the control's caption, like a row of the caption table
    Hint,    // the tooltip; the accessible name of a button without text, else its description
    Name,    // the accessible name of a control without a visible label
};

struct AddedRow
{
    CaptionWindow window;
    AddedText kind;
    const char *control; // the control's objectName
    std::array<const char *, kLanguageCount> texts;
};

std::span<const AddedRow> AddedTable();

// The added text of a control in a language, or a null string when either is unknown.
QString AddedTextOf(int language, const QString &control);

// Applies the added rows of a language to both windows (an index outside 0..6 changes
// nothing), then names every labelled control of both after its visible label.
void ApplyAddedTexts(int language, QObject *mainWindow, QObject *speechWindow);

// Gives every button that shows a text, and every control a label names as its buddy,
// that text without its mnemonic as accessible name, so that a screen reader says what
// is shown. Dialogs owned by `window` are left alone.
void NameControlsAfterLabels(QObject *window);

// A caption without its mnemonic marks ("&Opcions" gives "Opcions", "&&" gives "&").
QString WithoutMnemonic(const QString &caption);
