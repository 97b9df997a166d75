#pragma once

#include "app/ReadingOptions.h"

#include <QDialog>

#include <functional>

class ChoiceList;
class DictionaryControl;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class SettingsStore;
class VoiceControl;

// The reading options kept in the speech window's check boxes.
enum class ReadingOption {
    Letters,             // CheckBoxLletres
    WordOnSpace,         // CheckBoxEspai
    SentenceOnFullStop,  // CheckBoxPunt
    SelectionOnMouseUp,  // CheckBoxLlegeixLoSeleccionatALAixecarElClic
    PastedToClipboard,   // CheckBoxLlegeixDirectamentLaCarpeta
    ReadAll,             // CheckBoxReadAll (F7)
    ReadSelected,        // CheckBoxReadSelected (F8)
    ReadClipboard,       // CheckBoxReadClipboardContent (F9)
    ReadWordByWord,      // CheckBoxReadWordByWord (F10)
    SelectedText,        // CheckBoxSelectedText
};

// The speech window: voice, rate, reading options and the exceptions dictionary box.
// It mirrors the voice list and rate of the engines and applies the user's changes.
class FormTTS : public QDialog, public ReadingOptions
{
    Q_OBJECT
public:
    FormTTS(VoiceControl &voices, DictionaryControl &dictionary, SettingsStore &settings,
            QWidget *parent = nullptr);

    // The main window's one-hand keyboard switch, which the word-on-space box turns off.
    void SetOneHandSwitch(OneHandSwitch *oneHand) { m_oneHand = oneHand; }
    // What the Help button shows (the about window, modally).
    void SetHelpAction(std::function<void()> help) { m_help = std::move(help); }
    // The language window the Language button shows modally.
    void SetLanguageWindow(QDialog *window) { m_languageWindow = window; }

    QCheckBox *OptionBox(ReadingOption option) const;
    bool IsOptionChecked(ReadingOption option) const;
    // Sets a box as a user's click would: when its state changes its click handler runs.
    void SetOptionChecked(ReadingOption option, bool checked);

    // ReadingOptions
    bool ReadLetters() const override;
    bool ReadWordOnSpace() const override;
    bool ReadSentenceOnFullStop() const override;
    bool ReadSelectionOnMouseUp() const override;
    bool ReadClipboardOnF9() const override;
    bool ReadWordByWordOnF10() const override;
    void ClearReadWordOnSpace() override;

    // The current caption of the OK button (the language window copies it).
    QString OkCaption() const;
    // Shows the engines' selection and rate again without applying anything.
    void SyncFromVoices();
    // The voice list grew: show its entries again, the same voice selected.
    void RefreshVoiceList();

    // Handlers of the design.
    void ListBoxMotorsDeVeuClick();
    void tbRateChange();
    void CheckBoxEspaiClick();
    void CheckBoxDicExcMouseUp();
    void BitBtnTancarClick();
    void BitBtnHelpClick();
    void BitBtnLlenguatgeClick();
    void ButtonParlarClick();
    void ButtonCallaClick();

protected:
    void showEvent(QShowEvent *event) override;
    // Every way of closing ends here (OK, Esc, the title bar): the voice and rate are stored.
    void done(int result) override;

private:
    void BuildControls();
    void ApplyWindowSteps();
    void SetTabOrder();
    void FormClose();

    VoiceControl &m_voices;
    DictionaryControl &m_dictionary;
    SettingsStore &m_settings;
    OneHandSwitch *m_oneHand = nullptr;
    std::function<void()> m_help;
    QDialog *m_languageWindow = nullptr;

    ChoiceList *m_voiceList = nullptr;
    QSlider *m_rate = nullptr;
    QLabel *m_rateLabel = nullptr;
    QLabel *m_speedTitle = nullptr;
    QCheckBox *m_options[10] = {};
    QLabel *m_stopLabel = nullptr;
    QCheckBox *m_dictionaryBox = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_language = nullptr;
    QLineEdit *m_testText = nullptr;
    QPushButton *m_speak = nullptr;
    QPushButton *m_silence = nullptr;
    QPushButton *m_wav = nullptr;
    QPushButton *m_noDisturb = nullptr;
    QPushButton *m_exit = nullptr;
    QPushButton *m_wavMp3 = nullptr;
    // A voice sample was started by the list and may still be heard.
    bool m_samplePlaying = false;
};
