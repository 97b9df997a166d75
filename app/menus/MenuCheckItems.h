#pragma once

class QAccessibleInterface;
class QAction;
class QMenu;

// Makes Enter or Space on a check item of `menu` tick it while the menu is still open,
// then close the menus as after any choice: a screen reader hears the item's new state
// on the item it is reading, not after the focus has gone back to the editor. A menu that
// holds check items tells a screen reader each of them as a check box, with its mark.
void TickCheckItemsInPlace(QMenu *menu);

// Tells a screen reader that the check mark of `item` has changed, on the item of each
// menu that shows it.
void AnnounceCheckMark(QAction *item);

// What a screen reader is told about `item` in `menu`, or null when the menu lacks it.
QAccessibleInterface *AccessibleMenuItem(QMenu *menu, QAction *item);
