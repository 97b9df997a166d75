#pragma once

class QWidget;

// Relabels the find or replace dialog `dialog` in an interface language (an index of
// the language list; Catalan outside it). The window titles stay as they are.
void ApplyFindCaptions(QWidget *dialog, int language);
