#pragma once

#include "core/ReadingOptions.h"
#include "speech/SpeechSettings.h"
#include "windows/CaptionRows.h"

#include <QDialog>

#include <array>
#include <functional>

class ChoiceList;
class DictionaryControl;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class SettingsStore;
class QLayout;
class VoiceControl;

// The speech window: voice, rate, reading options and the exceptions dictionary box.
// It mirrors the voice list and rate of the engines and the reading options, and
// applies the user's changes to them.
class FormTTS : public QDialog
{
    Q_OBJECT
public:
    FormTTS(VoiceControl &voices, DictionaryControl &dictionary, SpeechSettings settings,
            ReadingOptions &options, QWidget *parent = nullptr);

    // The main window's one-hand keyboard switch, which the word-on-space box turns off.
    void SetOneHandSwitch(OneHandSwitch *oneHand) { m_oneHand = oneHand; }
    // What the Help button shows (the about window, modally).
    void SetHelpAction(std::function<void()> help) { m_help = std::move(help); }
    // The language window the Language button shows modally.
    void SetLanguageWindow(QDialog *window) { m_languageWindow = window; }

    QCheckBox *OptionBox(ReadingOption option) const;
    bool IsOptionChecked(ReadingOption option) const;
    // Sets a box as a user's click would: the option follows, and so does what it turns off.
    void SetOptionChecked(ReadingOption option, bool checked);

    // The window's caption rows and added texts in the seven interface languages.
    static std::span<const CaptionRow> CaptionRows();
    static std::span<const AddedRow> AddedRows();
    // From now on the window relabels itself in each language `language` applies.
    void FollowLanguage(const InterfaceLanguageModel &language);

    // The current caption of the OK button (the language window copies it).
    QString OkCaption() const;
    // Shows the engines' selection and rate again without applying anything.
    void SyncFromVoices();
    // A section of the window that another part of the program fills, put above the
    // exceptions dictionary's box (its controls come after the others on Tab).
    void AddSection(QWidget *section);
    // The voice list grew: show its entries again, the same voice selected.
    void RefreshVoiceList();
    // Moves the rate bar by steps of one (more is faster), applies the rate and stores it
    // as "velocitat"; false, changing nothing, when the bar is at that end already.
    bool StepRate(int steps);

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
    // A new title widens the window until the title bar shows it whole.
    void changeEvent(QEvent *event) override;
    // Every way of closing ends here (OK, Esc, the title bar): the voice and rate are stored.
    void done(int result) override;

private:
    void BuildControls();
    // The rows of the window.
    QLayout *BuildVoiceAndRate();
    QLayout *BuildTestRow();
    QLayout *BuildOptionGroups();
    QLayout *BuildButtons();
    void ApplyWindowSteps();
    void SetTabOrder();
    void FormClose();

    VoiceControl &m_voices;
    DictionaryControl &m_dictionary;
    SpeechSettings m_settings;
    ReadingOptions &m_readingOptions;
    OneHandSwitch *m_oneHand = nullptr;
    std::function<void()> m_help;
    QDialog *m_languageWindow = nullptr;

    ChoiceList *m_voiceList = nullptr;
    QSlider *m_rate = nullptr;
    QLabel *m_rateLabel = nullptr;
    QLabel *m_speedTitle = nullptr;
    std::array<QCheckBox *, std::size(kReadingOptionKeys)> m_optionBoxes{};
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
