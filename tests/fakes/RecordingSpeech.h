#pragma once

#include "speech/SpeechOperations.h"

#include <QStringList>

// Records every call, for the tests of the layers above speech.
class RecordingSpeech : public SpeechOperations
{
public:
    void SpeakText(const QString &text) override { calls << QStringLiteral("speak:") + text; }
    bool SpeakTextAndWait(const QString &text) override
    {
        calls << QStringLiteral("wait:") + text;
        return true;
    }
    void StopSpeech() override { calls << QStringLiteral("stop"); }

    QStringList calls;
};
