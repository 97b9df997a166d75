#pragma once

// The reading options of the speech window that the reading triggers consult.
class ReadingOptions
{
public:
    virtual ~ReadingOptions() = default;
    virtual bool ReadLetters() const = 0;             // CheckBoxLletres
    virtual bool ReadWordOnSpace() const = 0;         // CheckBoxEspai
    virtual bool ReadSentenceOnFullStop() const = 0;  // CheckBoxPunt
    virtual bool ReadSelectionOnMouseUp() const = 0;  // CheckBoxLlegeixLoSeleccionatALAixecarElClic
    // The keys their captions promise; both are ticked unless the user unticks them.
    virtual bool ReadClipboardOnF9() const { return true; }    // CheckBoxReadClipboardContent
    virtual bool ReadWordByWordOnF10() const { return true; }  // CheckBoxReadWordByWord
    // The one-hand keyboard was turned on: the word-on-space box is cleared.
    virtual void ClearReadWordOnSpace() = 0;
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
