#pragma once

#include "speech/VoiceList.h"

#include <functional>
#include <memory>
#include <optional>

class SettingsStore;

// The speech keys of the program settings file that several parts of the program
// share, typed: the chosen voice, the rate, "ESTIC LLEGINT" and the voice last told to
// the rendering program. Copies are the same front. A write that fails is told where
// SetFailureReport says, once, until a write succeeds again; speech goes on either way.
class SpeechSettings
{
public:
    // Any settings store is a front for its speech keys.
    SpeechSettings(SettingsStore &store); // NOLINT(google-explicit-constructor)

    // Without one, a failed write goes to the program's log.
    void SetFailureReport(std::function<void(const QString &problem)> report);

    StoredVoice::Stored Voice() const;
    bool WriteVoice(int row, const QString &name);
    // Only the row, when the name proved it stale.
    bool WriteVoiceNumber(int row);
    // "velocitat", as the rate label shows it.
    QString RateText() const;
    bool WriteRateText(const QString &text);
    // "ESTIC LLEGINT": "1" while a reading that is waited for runs.
    bool WriteReading(bool reading);
    // "tts to Wav": the family and, but for the library's, the voice within it.
    bool WriteRenderingVoice(const VoiceId &voice);

private:
    bool Written(bool ok);

    struct Report
    {
        std::function<void(const QString &)> tell;
        bool told = false;
    };
    SettingsStore *m_store;
    std::shared_ptr<Report> m_report;
};
