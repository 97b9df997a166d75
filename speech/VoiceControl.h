#pragma once

#include "speech/SpeechOperations.h"

#include <QStringList>

// The voice list and the rate as the speech window shows and changes them. The
// engines implement it; the window only mirrors it.
class VoiceControl : public SpeechOperations
{
public:
    // The list entries: espeak-ng voices, "SAPI - " voices, then the four "UPCTV - " ones.
    virtual QStringList VoiceEntries() const = 0;
    virtual int MspCount() const = 0;
    virtual int SapiCount() const = 0;
    virtual bool UpctvLoaded() const = 0;
    // Whether either automation family could be set up at all.
    virtual bool AutomationAvailable() const = 0;

    // The list's selected index, -1 when none. Setting it applies nothing.
    virtual int SelectedIndex() const = 0;
    virtual void SetSelectedIndex(int index) = 0;
    // Applies the selected voice (the list's click): settings writes, engine, then the rate.
    virtual void SelectVoice() = 0;

    // The rate bar's position, -10..10. Setting it applies nothing.
    virtual int RatePosition() const = 0;
    virtual void SetRatePosition(int position) = 0;
    // Applies the position to the selected engine and updates the rate label.
    virtual void SetSpeechRate() = 0;
    // The text of the rate label.
    virtual QString RateLabel() const = 0;
};

// The exceptions dictionary as the speech window's box switches it.
class DictionaryControl
{
public:
    virtual ~DictionaryControl() = default;
    // Whether a dictionary is applied to what is spoken.
    virtual bool DictionaryActive() const = 0;
    virtual void SetDictionaryActive(bool active) = 0;
    // Asks for a dictionary file and loads it; true when a dictionary with at least
    // one entry is now active.
    virtual bool ChooseExceptionsDictionary() = 0;
    // Run when the speech window is closed with OK: with no active dictionary the
    // settings say so.
    virtual void ClosingStep() = 0;
};
