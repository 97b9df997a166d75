#pragma once

#include "engines/SpeechEngines.h"

#include <QList>
#include <QTimer>

class DesktopWindows;

// The run-time loaded library's four voices as a voice family: it loads the library,
// chooses its language and speaker, polls it while it speaks and tells the words it hears.
// The library cannot queue: Speak returns once it is idle again, handling events meanwhile.
class UpctvEngine : public VoiceEngine
{
public:
    static constexpr int kWindowTimerIntervalMs = 200;
    static constexpr int kWindowTimerLastTick = 20;
    static const char *const kWindowTitle;
    static constexpr int kWordPollMs = 40;

    // The 8-bit text the library is given for a text to speak.
    using LibraryText = std::function<QByteArray(const QString &text)>;

    // desktop may be null: the library's own window is then not looked for.
    UpctvEngine(UpctvLibrary *library, DesktopWindows *desktop, LibraryText libraryText);
    ~UpctvEngine() override;

    bool Open() override;
    void Close() override;
    EngineFailure LastFailure() const override { return m_failure; }
    int VoiceCount() override;
    std::optional<QString> VoiceDescription(int index) override;
    // A voice other than the current one reloads the library; false when the chosen
    // voice's synthesizer is not installed (LastFailure says what to install, in Catalan:
    // whoever shows it in another language knows it by its reason).
    bool SelectVoice(int index) override;
    bool SetRate(int rate) override;
    bool Speak(const QString &text, quint64 utterance) override;
    bool WaitUntilDone() override;
    bool Skip() override;
    void SetWordListener(HeardWordListener listener) override { m_listener = std::move(listener); }
    // Only the library's Catalan woman's voice tells its words.
    bool VoiceTellsWords(int index) override;

    bool Loaded() const { return m_loaded; }
    int CurrentVoice() const { return m_currentVoice; }
    int WindowTimerTicks() const { return m_windowTicks; }
    bool WindowTimerActive() const { return m_windowTimer.isActive(); }
    // One tick of the timer that dismisses the library's own window.
    void WindowTimerTick();

private:
    bool Fail(SpeechFailure reason, const QString &message = {});
    bool Load();
    bool Reload();
    void StartWindowTimer();
    void WaitWhileSpeaking(int pollMs);
    // Tells the word the library says is being heard, when it is a new one.
    void WordTick();
    void Tell(const HeardWord &word);

    UpctvLibrary *m_library;
    DesktopWindows *m_desktop;
    LibraryText m_libraryText;
    bool m_loaded = false;
    int m_currentVoice = -1;
    EngineFailure m_failure;
    HeardWordListener m_listener;
    QTimer m_windowTimer;
    int m_windowTicks = 0;
    // While a reading is heard: its number, its text and each byte's place in that text.
    QTimer m_wordTimer;
    quint64 m_reading = 0;
    QString m_text;
    QList<int> m_places;
    int m_lastWord = -1;
};
