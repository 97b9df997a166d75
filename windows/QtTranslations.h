#pragma once

// Makes Qt's own dialogs and buttons (file dialogs, message boxes) speak the interface
// language `language` (an index of the language list): Qt's translations where the
// system has them, the program's own for the buttons and file dialogs elsewhere. An
// index outside the list changes nothing.
void UseQtTranslations(int language);
