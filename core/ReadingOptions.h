#pragma once

#include <QObject>
#include <QString>

#include <array>

// The reading options: what typing, the mouse and the function keys read aloud.
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

// How the settings file keeps an option: its key in "LlibreriaLlegir" and its value
// when nothing is stored. One row per option, in the order they are written.
struct ReadingOptionKey
{
    ReadingOption option;
    const char *key;
    bool onByDefault;
};
inline constexpr ReadingOptionKey kReadingOptionKeys[] = {
    {ReadingOption::Letters, "LLEGIR LLETRES", false},
    {ReadingOption::WordOnSpace, "LLEGIR PARAULES", false},
    {ReadingOption::SentenceOnFullStop, "LLEGIR FRASE", false},
    {ReadingOption::SelectionOnMouseUp, "LLEGIR A LAIXECAR EL CLIC", false},
    {ReadingOption::PastedToClipboard, "LLEGIR DIRECTAMENT EL CONTINGUT DE LA CARPETA QUAN CANVIA", false},
    {ReadingOption::ReadAll, "F7", true},
    {ReadingOption::ReadSelected, "F8", true},
    {ReadingOption::ReadClipboard, "F9", true},
    {ReadingOption::ReadWordByWord, "F10", true},
    {ReadingOption::SelectedText, "CheckBoxSelectedText", false},
};

// The options' values, which the speech window edits and the reading triggers and
// the one-hand keyboard read. Each starts at its default.
class ReadingOptions : public QObject
{
    Q_OBJECT
public:
    explicit ReadingOptions(QObject *parent = nullptr);

    bool IsOn(ReadingOption option) const { return m_values[std::size_t(option)]; }
    // Stores the value; changed() follows when it differs from the one held.
    void Set(ReadingOption option, bool on);

    bool ReadLetters() const { return IsOn(ReadingOption::Letters); }
    bool ReadWordOnSpace() const { return IsOn(ReadingOption::WordOnSpace); }
    bool ReadSentenceOnFullStop() const { return IsOn(ReadingOption::SentenceOnFullStop); }
    bool ReadSelectionOnMouseUp() const { return IsOn(ReadingOption::SelectionOnMouseUp); }
    bool ReadClipboardOnF9() const { return IsOn(ReadingOption::ReadClipboard); }
    bool ReadWordByWordOnF10() const { return IsOn(ReadingOption::ReadWordByWord); }

signals:
    void changed(ReadingOption option, bool on);

private:
    std::array<bool, std::size(kReadingOptionKeys)> m_values{};
};

// The one-hand keyboard switch ("Teclat amb una ma"), as the speech window sees it.
class OneHandSwitch
{
public:
    virtual ~OneHandSwitch() = default;
    virtual bool OneHandOn() const = 0;
    // Removes the check mark and writes "false" for it at once.
    virtual void TurnOneHandOff() = 0;
};
