#pragma once

#include "speech/VoiceControl.h"
#include "speech/SpeechSettings.h"
#include "speech/VoiceList.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class DesktopWindows;
class FormDiccionariExcepcions;
struct HeardWord;
class MediaPlayer;
class SettingsStore;
class UpctvLibrary;
class VoiceEngine;
class WavePlayer;

// The engines the speech operations use; any of them may be null (absent).
struct SpeechEngineSet
{
    VoiceEngine *msp = nullptr;
    VoiceEngine *sapi = nullptr;
    UpctvLibrary *upctv = nullptr;
    WavePlayer *wave = nullptr;
    MediaPlayer *media = nullptr;
    DesktopWindows *desktop = nullptr;
};

// The voice list over the three engine families and the speech operations on it.
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
    // The reading could not be heard, and why; its end follows.
    void speechFailed(UtteranceId utterance, SpeechFailure reason);
    // The chosen voice's synthesizer is not installed: what to install, for the status line.
    void synthesizerMissing(const QString &message);

public:
    static constexpr int kUpctvTimerIntervalMs = 200;
    static constexpr int kUpctvTimerLastTick = 20;
    static const char *const kUpctvWindowTitle;
    static const char *const kUpctvSynthesizerMissing;
    static constexpr int kUpctvWordPollMs = 40;

    SpeechController(SpeechSettings settings, const SpeechEngineSet &engines,
                     FormDiccionariExcepcions *dictionary, QObject *parent = nullptr);
    // Frees the library, as the speech window does when it is destroyed.
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
    // The voice the list selects ("no voice chosen" when none).
    VoiceId SelectedVoice() const { return m_voice; }
    VoiceId VoiceOfRow(int row) const { return m_list.VoiceAt(row); }
    QString SelectedVoiceName() const { return VoiceName(m_voice); }
    // Its entry in the list; empty when it has none.
    QString VoiceName(const VoiceId &voice) const { return m_list.TextAt(m_list.RowOf(voice)); }

    // VoiceControl
    QStringList VoiceEntries() const override { return m_list.Texts(); }
    int MspCount() const override { return m_list.Count(VoiceFamily::Msp); }
    int SapiCount() const override { return m_list.Count(VoiceFamily::Sapi); }
    bool UpctvLoaded() const override { return m_upctvLoaded; }
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
    void StopSpeech() override;

    void UnloadUpctv();
    int CurrentUpctvVoice() const { return m_currentUpctvVoice; }
    int UpctvTimerTicks() const { return m_upctvTimerTicks; }
    bool UpctvTimerActive() const { return m_upctvTimer.isActive(); }
    // One tick of the timer that dismisses the library's own window.
    void UpctvWindowTimerTick();

private:
    VoiceEngine *FamilyEngine(VoiceFamily family) const;
    void AddFamily(VoiceEngine *engine, VoiceFamily family);
    // Selects and applies the voice the settings file keeps, once the list can tell it.
    void ApplyStoredVoice();
    bool LoadUpctv();
    void ReloadUpctv();
    void SelectUpctvVoice(int entry);
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
    bool Failed(UtteranceId id, SpeechFailure reason);
    bool SpeakUpctv(const QString &text);
    void WaitWhileUpctvSpeaks(int pollMs);
    void StartUpctvWindowTimer();
    // Tells the word the library says is being heard, when it is a new one.
    void UpctvWordTick();
    QString SoundPath(const QString &text) const;
    void WriteReading(bool reading);
    // Follows the words of a text on its way to a voice of the engine families.
    void FollowReading(const Prepared &reading);
    void WordHeardByEngine(const HeardWord &word);
    void EndReadings();
    void ListenToEngine(VoiceEngine *engine);

    SpeechSettings m_settings;
    SpeechEngineSet m_engines;
    FormDiccionariExcepcions *m_dictionary;
    VoiceList m_list;
    VoiceId m_voice = kNoVoiceChosen;
    bool m_serviceVoicesToCome = false;
    // The stored voice waits for the service's voices.
    bool m_storedVoicePending = false;
    bool m_upctvLoaded = false;
    int m_currentUpctvVoice = -1;
    int m_upctvTimerTicks = 0;
    QTimer m_upctvTimer;
    // While a reading of the library is heard: its number and each byte's place in its text.
    QTimer m_upctvWordTimer;
    UtteranceId m_upctvReading = 0;
    QList<int> m_upctvPlaces;
    int m_upctvLastWord = -1;
    int m_rate = 0;
    QString m_rateLabel = QStringLiteral("0");
    struct Reading
    {
        UtteranceId id;
        int length;       // of the text given
        bool wholeText;   // the dictionary replaced it: its words are not the ones given
    };
    // Texts queued in the engines whose words are followed, oldest first.
    QList<Reading> m_readings;
    UtteranceId m_lastUtterance = 0;
};
