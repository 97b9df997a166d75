#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

class SettingsStore;

struct EditorFontChoice
{
    QFont font;
    QColor color = Qt::black;
};

// The editor's font by design: "Courier New" of 13 pixels, or the system's fixed font.
QFont DesignEditorFont();

// Section "Font Missatge": applied at start when "HiHaFontMissatge" is "SI". Keys that
// are not numbers keep the design font's value; their names go to problems.
bool ReadEditorFont(const SettingsStore &settings, EditorFontChoice &choice, QStringList *problems);
// Written at once, in the design's order, when the user picks a font.
bool WriteEditorFont(SettingsStore &settings, const EditorFontChoice &choice);

// The colours the editor shows: text and background.
struct EditorColors
{
    QColor text;
    QColor base;
};

// How readable one colour is on another, from 1 (none) to 21 (black on white).
double ContrastRatio(const QColor &a, const QColor &b);
// A stored font colour is shown only on a background it can be read on: on the theme's
// own when it contrasts with it, else on white or black. Black, what is stored when no
// colour was ever picked, that the theme cannot show keeps the theme's colours.
EditorColors ReadableEditorColors(const QColor &stored, const EditorColors &theme);
