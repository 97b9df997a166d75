#pragma once

#include "engines/SpeechEngines.h"

#include <QString>

#include <functional>

// A reading handed to the speech: the number its news carry. 0 is no reading.
using UtteranceId = quint64;
// Told a reading's number once it is queued, before anything of it can be heard.
using UtteranceQueued = std::function<void(UtteranceId)>;

// The speech operations that the rest of the program calls. The speech window's
// engines provide them; the reading triggers and audio export only call them.
class SpeechOperations
{
public:
    virtual ~SpeechOperations() = default;

    // Speak or play the text; returns without waiting for it to be heard (except
    // that a voice of the run-time loaded library returns when it is idle again).
    // The reading's number, 0 when there was nothing to say.
    virtual UtteranceId SpeakText(const QString &text, const UtteranceQueued &queued = {}) = 0;
    // The same, returning when the text has been spoken or the sound has ended;
    // false when nothing could be heard (the editor goes on regardless).
    virtual bool SpeakTextAndWait(const QString &text, const UtteranceQueued &queued = {}) = 0;
    // The same in another voice of the list, named by its entry; the selected voice reads
    // it when the name is empty or no longer listed. The selected voice stays chosen.
    virtual UtteranceId SpeakTextInVoice(const QString &text, const QString &voice, const UtteranceQueued &queued = {})
    {
        (void)voice;
        return SpeakText(text, queued);
    }
    virtual bool SpeakTextInVoiceAndWait(const QString &text, const QString &voice, const UtteranceQueued &queued = {})
    {
        (void)voice;
        return SpeakTextAndWait(text, queued);
    }
    // Silence: sound files and the speech of the selected voice; the queue is emptied.
    virtual void StopSpeech() = 0;
    // A reading that waits for one text after another (word by word) is one reading to
    // the programs that watch for it: while kept, the end of each text does not tell
    // them reading stopped; the end of the keeping (or a stop) does.
    virtual void KeepReadingFlag(bool keep) { (void)keep; }
};
