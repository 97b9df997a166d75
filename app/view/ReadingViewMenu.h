#pragma once

#include <QFont>

#include <functional>

class QMenu;
class QWidget;
class ReadingView;

// Adds the "Vista de lectura" submenu at the end of `options`, its items' keys working
// anywhere in `window`. `useFont` makes a font the editor's own, as the font dialog does.
QMenu *AddReadingViewMenu(ReadingView &view, QMenu *options, QWidget *window,
                          std::function<void(const QFont &)> useFont);

// The family the dyslexia font item offers, and whether the system has it.
QString DyslexiaFontFamily();
bool DyslexiaFontInstalled();
