#pragma once

#include <QDialog>

class ChoiceList;
class FormTTS;
class InterfaceLanguageModel;
class QPushButton;

// The interface-language window ("DRAVIMOLS - Llenguatges"): a click on a language
// applies it to the language model, and every window following the model relabels itself.
class FormLlenguatge : public QDialog
{
    Q_OBJECT
public:
    // Registers itself as the speech window's language window; the speech window
    // follows `language` from now on.
    FormLlenguatge(InterfaceLanguageModel &language, FormTTS &speechWindow, QWidget *parent = nullptr);

    // The selected row, -1 for none.
    int LanguageIndex() const;
    // Selects a row without applying it; an index outside the list selects none.
    void SetLanguageIndex(int index);

    // Applies the selected row (Qt's own dialogs, then the model) and copies the speech
    // window's OK caption.
    void ListBoxLlenguatgeClick();

signals:
    // A language was applied (chosen in the list, or restored at start).
    void languageApplied(int index);

private:
    // The window's own captions, from the speech window's.
    void Relabel();

    InterfaceLanguageModel &m_language;
    FormTTS &m_speechWindow;
    ChoiceList *m_list = nullptr;
    QPushButton *m_ok = nullptr;
};
