#pragma once

class QMenuBar;
class QWidget;

// Gives the focus back when the menu bar is left by the keyboard: once no menu is open
// and no entry of the bar is highlighted, the widget that had the focus before the bar
// took it (the editor when there is none) has it again, so typed keys never go nowhere.
void ReturnFocusFromMenuBar(QMenuBar *bar, QWidget *editor);
