#pragma once

class QMenu;

// From now on `menu` is told to a screen reader by faces of the program's own, where
// each check item is a check box named by its caption, ticked or not: the desktop's
// accessibility bridge has no checkable menu item, and reports a menu item's mark only
// when it is ticked. Other menus keep Qt's faces.
void UseCheckItemFaces(QMenu *menu);
