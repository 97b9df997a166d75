#pragma once

#include "speech/SpeechOperations.h"

#include <QStringList>

// Records every call, for the tests of the layers above speech; Base is the speech
// interface it stands in for.
template <typename Base>
class RecordingSpeechOf : public Base
{
public:
    UtteranceId SpeakText(const QString &text, const UtteranceQueued &queued = {}) override
    {
        calls << QStringLiteral("speak:") + text;
        return Queued(queued);
    }
    bool SpeakTextAndWait(const QString &text, const UtteranceQueued &queued = {}) override
    {
        calls << QStringLiteral("wait:") + text;
        Queued(queued);
        return true;
    }
    UtteranceId Queued(const UtteranceQueued &queued)
    {
        if (queued)
            queued(++lastUtterance);
        return lastUtterance;
    }
    UtteranceId lastUtterance = 0;
    void StopSpeech() override { calls << QStringLiteral("stop"); }

    QStringList calls;
};

using RecordingSpeech = RecordingSpeechOf<SpeechOperations>;
