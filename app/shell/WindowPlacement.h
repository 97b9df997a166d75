#pragma once

class QWidget;

// Keeps a top-level window, its frame included, on the screen that holds most of it:
// smaller than that screen's free area, and moved inside it (centred when not shown yet).
void FitOnScreen(QWidget &window);
