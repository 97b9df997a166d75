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

// Section "Font Missatge": applied at start when "HiHaFontMissatge" is "SI". Keys that
// are not numbers keep the design font's value; their names go to problems.
bool ReadEditorFont(const SettingsStore &settings, EditorFontChoice &choice, QStringList *problems);
// Written at once, in the design's order, when the user picks a font.
bool WriteEditorFont(SettingsStore &settings, const EditorFontChoice &choice);
