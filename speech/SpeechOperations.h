#pragma once

#include <QString>

// The speech operations that the rest of the program calls. The speech window's
// engines provide them; the reading triggers and audio export only call them.
class SpeechOperations
{
public:
    virtual ~SpeechOperations() = default;

    // Speak or play the text; returns without waiting for it to be heard (except
    // that a voice of the run-time loaded library returns when it is idle again).
    virtual void SpeakText(const QString &text) = 0;
    // The same, returning when the text has been spoken or the sound has ended;
    // false when nothing could be heard (the editor goes on regardless).
    virtual bool SpeakTextAndWait(const QString &text) = 0;
    // Silence: sound files and the speech of the selected voice.
    virtual void StopSpeech() = 0;
};
