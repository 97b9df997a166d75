#pragma once

#include "engines/SilentEngine.h"
#include "speech/DictionaryRecordings.h"
#include "speech/VoiceControl.h"
#include "speech/SpeechSettings.h"
#include "speech/VoiceList.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <optional>

class FormDiccionariExcepcions;
class MediaPlayer;
class SettingsStore;
class WavePlayer;

// The engines the speech operations use; any of them may be null (absent).
struct SpeechEngineSet
{
    VoiceEngine *msp = nullptr;
    VoiceEngine *sapi = nullptr;
    VoiceEngine *upctv = nullptr;
    WavePlayer *wave = nullptr;
    MediaPlayer *media = nullptr;
};

// The voice list over the engine families and the speech operations on it. A family
// that is absent is answered by the silent engine.
class SpeechController : public QObject, public VoiceControl
{
    Q_OBJECT
signals:
    // The voice list grew after the set-up.
    void voiceListChanged();
    // The word of a reading being heard, as a place in the text given to SpeakText or
    // SpeakTextAndWait (a text the exceptions dictionary replaced is heard whole, as one place).
    void wordHeard(UtteranceId utterance, int start, int length);
    // That reading has been heard to its end, stopped, or could not be heard.
    void readingEnded(UtteranceId utterance);
    // The reading could not be heard, and why, with a sentence for the status line when
    // there is one (what to install); its end follows. Utterance 0: the voice just chosen
    // cannot speak.
    void speechFailed(UtteranceId utterance, SpeechFailure reason, const QString &message);

public:
    SpeechController(SpeechSettings settings, const SpeechEngineSet &engines,
                     FormDiccionariExcepcions *dictionary, QObject *parent = nullptr);
    // Closes the families (frees the library), as the speech window does when it is destroyed.
    ~SpeechController() override;

    // Where a failed write of the speech settings is told (once).
    SpeechSettings &Settings() { return m_settings; }

    // The engine set-up at window creation: voice list, library, stored voice and rate.
    void SetUp();
    // Before SetUp: the speech service's voices are still to come (AddServiceVoices).
    // A stored voice that may be among them is chosen only once they have come.
    void ExpectServiceVoices() { m_serviceVoicesToCome = true; }
    // The speech service's voices when they come after the set-up (null: the service
    // did not answer): they take their place between the espeak-ng voices and the
    // library's, and the voice selected stays the same.
    void AddServiceVoices(VoiceEngine *engine);
    // Every family has answered: a voice not listed now is gone.
    bool VoicesSettled() const { return !m_serviceVoicesToCome; }
    // The voice the list selects ("no voice chosen" when none).
    VoiceId SelectedVoice() const { return m_voice; }
    VoiceId VoiceOfRow(int row) const { return m_list.VoiceAt(row); }
    QString SelectedVoiceName() const { return VoiceName(m_voice); }
    // Whether the selected voice tells its words as they are heard (wordHeard one by one);
    // one that does not tells each reading whole.
    bool SelectedVoiceTellsWords() { return FamilyEngine(m_voice.family)->VoiceTellsWords(m_voice.index); }
    // Its entry in the list; empty when it has none.
    QString VoiceName(const VoiceId &voice) const { return m_list.TextAt(m_list.RowOf(voice)); }

    // VoiceControl
    QStringList VoiceEntries() const override { return m_list.Texts(); }
    int MspCount() const override { return m_list.Count(VoiceFamily::Msp); }
    int SapiCount() const override { return m_list.Count(VoiceFamily::Sapi); }
    bool UpctvLoaded() const override { return m_list.Count(VoiceFamily::Upctv) > 0; }
    bool AutomationAvailable() const override;
    int SelectedIndex() const override { return m_list.RowOf(m_voice); }
    void SetSelectedIndex(int index) override;
    void SelectVoice() override;
    int RatePosition() const override { return m_rate; }
    void SetRatePosition(int position) override;
    void SetSpeechRate() override;
    QString RateLabel() const override { return m_rateLabel; }

    // SpeechOperations
    UtteranceId SpeakText(const QString &text, const UtteranceQueued &queued = {}) override;
    bool SpeakTextAndWait(const QString &text, const UtteranceQueued &queued = {}) override;
    UtteranceId SpeakTextInVoice(const QString &text, const QString &voice, const UtteranceQueued &queued = {}) override;
    bool SpeakTextInVoiceAndWait(const QString &text, const QString &voice,
                                 const UtteranceQueued &queued = {}) override;
    void StopSpeech() override;
    void KeepReadingFlag(bool keep) override;

private:
    // The family's engine; the silent engine for an absent one.
    VoiceEngine *FamilyEngine(VoiceFamily family);
    void AddFamily(VoiceEngine *engine, VoiceFamily family);
    // Selects and applies the voice the settings file keeps, once the list can tell it.
    void ApplyStoredVoice();
    // Speaks or plays the prepared text; with wait, returns when it has been heard.
    // False when nothing could be heard.
    struct Prepared
    {
        UtteranceId id = 0;
        int length = 0;        // of the text given
        bool replaced = false; // the exceptions dictionary replaced the text given
        QString text;          // what is spoken or played
    };
    bool Speak(const Prepared &reading, bool wait);
    // A new reading's number, told to the caller before anything of it is heard.
    Prepared Queue(const QString &original, const QString &spoken, const UtteranceQueued &queued);
    // Tells why the reading cannot be heard, and its end; false.
    bool Failed(UtteranceId id, SpeechFailure reason, const QString &message = {});
    bool Failed(UtteranceId id, const EngineFailure &failure) { return Failed(id, failure.reason, failure.message); }
    void WriteReading(bool reading);
    // Follows the words of a text on its way to a voice of the engine families.
    void FollowReading(const Prepared &reading);
    // Stops following it; false when it was no longer followed (its end was told).
    bool Unfollow(UtteranceId id);
    void WordHeardByEngine(const HeardWord &word);
    void EndReadings();
    void ListenToEngine(VoiceEngine *engine);

    // The voice a text is spoken in: a part's own voice while it is handed over, else the
    // selected one. Its engine is given that voice and the rate first when it had another.
    VoiceId SpeakingVoice() const { return m_partVoice.value_or(m_voice); }
    VoiceEngine *PrepareSpeakingEngine();
    std::optional<VoiceId> ListedVoice(const QString &name) const;

    SpeechSettings m_settings;
    std::optional<VoiceId> m_partVoice;
    // The voice each family's engine was last given, and the families heard since the last stop.
    QHash<int, int> m_engineVoice;
    QSet<int> m_familiesHeard;
    SpeechEngineSet m_engines;
    FormDiccionariExcepcions *m_dictionary;
    DictionaryRecordings m_recordings;
    SilentEngine m_silent;
    VoiceList m_list;
    VoiceId m_voice = kNoVoiceChosen;
    bool m_serviceVoicesToCome = false;
    // The stored voice waits for the service's voices.
    bool m_storedVoicePending = false;
    int m_rate = 0;
    QString m_rateLabel = QStringLiteral("0");
    struct Reading
    {
        UtteranceId id;
        int length;       // of the text given
        bool wholeText;   // the dictionary replaced it: its words are not the ones given
        int lastStart = -1; // the place last told, told once however often it comes
        int lastLength = -1;
    };
    // Texts queued in the engines whose words are followed, oldest first.
    QList<Reading> m_readings;
    UtteranceId m_lastUtterance = 0;
    // "ESTIC LLEGINT" stays "1" between the texts of a reading that waits for each.
    bool m_readingFlagKept = false;
};
