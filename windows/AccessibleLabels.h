#pragma once

#include <QString>

class QObject;

// How controls are named for keyboard and screen-reader users after what they show.

// Gives every button that shows a text, and every control a label names as its buddy,
// that text without its mnemonic as accessible name, so that a screen reader says what
// is shown. Dialogs owned by `window` are left alone.
void NameControlsAfterLabels(QObject *window);

// The tooltip of a control, also its accessible name when it is a button without text,
// else its accessible description. Anything but a widget is left alone.
void SetHint(QObject *control, const QString &hint);

// A caption without its mnemonic marks ("&Opcions" gives "Opcions", "&&" gives "&").
QString WithoutMnemonic(const QString &caption);
