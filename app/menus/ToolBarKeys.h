#pragma once

#include <QList>

class QToolButton;
class QWidget;

// Lets the keyboard reach a tool bar's icon buttons without a click taking the focus
// from the editor: Tab and Shift+Tab pass from `field` through `after` to the buttons in
// order and on to `next`, the editor; Left and Right move between the buttons; Enter or
// Space presses one, with the focus back in the editor as after a click.
void MakeToolButtonsReachable(const QList<QToolButton *> &buttons, QWidget *field, QWidget *after, QWidget *next);
