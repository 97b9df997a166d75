#pragma once

#include <QList>

class QToolButton;
class QWidget;

// Lets the keyboard reach a tool bar's icon buttons without a click taking the focus
// from the editor: Tab and Shift+Tab pass from `field` through `after` to the buttons in
// order and on to `next`; Left and Right move between the buttons, Enter presses one.
void MakeToolButtonsReachable(const QList<QToolButton *> &buttons, QWidget *field, QWidget *after, QWidget *next);
