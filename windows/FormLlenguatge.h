#pragma once

#include <QDialog>

class ChoiceList;
class FormTTS;
class QPushButton;

// The interface-language window ("DRAVIMOLS - Llenguatges"): a click on a language
// relabels the speech window and the main window at once.
class FormLlenguatge : public QDialog
{
    Q_OBJECT
public:
    // Registers itself as the speech window's language window. `mainWindow` may be null
    // until the main window exists (SetMainWindow).
    FormLlenguatge(FormTTS &speechWindow, QWidget *mainWindow, QWidget *parent = nullptr);

    void SetMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    // The selected row, -1 for none.
    int LanguageIndex() const;
    // Selects a row without applying it; an index outside the list selects none.
    void SetLanguageIndex(int index);

    // Applies the selected row's captions and copies the speech window's OK caption.
    void ListBoxLlenguatgeClick();

signals:
    // A language was applied (chosen in the list, or restored at start).
    void languageApplied(int index);

private:
    FormTTS &m_speechWindow;
    QWidget *m_mainWindow = nullptr;
    ChoiceList *m_list = nullptr;
    QPushButton *m_ok = nullptr;
};
