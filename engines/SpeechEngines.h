#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// A word of a spoken text reaching the listener's ears: its place in the text given to
// Speak (UTF-16 index and length), or, with textEnded, the whole text heard to its end.
// It carries the number the text was given to Speak with.
struct HeardWord
{
    QString text;
    int start = 0;
    int length = 0;
    bool textEnded = false;
    quint64 utterance = 0;
};
using HeardWordListener = std::function<void(const HeardWord &word)>;

// Why a reading could not be heard.
enum class SpeechFailure {
    NoVoice,             // no voice is selected or its engine is absent
    NotHeard,            // the engine or the player could not make it heard
    SoundFileMissing,    // the text names a sound file that is not there
    SynthesizerMissing,  // the voice's synthesizer is not installed: the message says what to install
};

// What an engine tells of its last failure: why, and a sentence for the user (may be empty).
struct EngineFailure
{
    SpeechFailure reason = SpeechFailure::NotHeard;
    QString message;
};

// The whole contract between the speech operations and the engines underneath them.
// Errors cross it as return values (false or nothing), never as exceptions; the
// editor ignores them in silence, the command line reports them.

// A voice family of the list (espeak-ng, speech-dispatcher, the UPCTV library, or the
// silent engine that stands for no voice): a collection of voices behind one interface.
class VoiceEngine
{
public:
    virtual ~VoiceEngine() = default;

    // What a binding must provide.
    // The number of voices in the family's stable order; negative on failure.
    virtual int VoiceCount() = 0;
    // The display text of voice i; nothing on failure.
    virtual std::optional<QString> VoiceDescription(int index) = 0;
    // Makes voice i the one that speaks; false for a bad index or an engine failure.
    virtual bool SelectVoice(int index) = 0;
    // The rate -10..10 (0 the engine's normal).
    virtual bool SetRate(int rate) = 0;
    // Queues the text after what is being spoken and returns at once (an engine that
    // cannot queue returns once it is idle again, handling events meanwhile); false when it
    // cannot be heard (no sound device, service gone). A text with nothing to say
    // changes nothing. Its words are told with the given number.
    virtual bool Speak(const QString &text, quint64 utterance) = 0;
    bool Speak(const QString &text) { return Speak(text, 0); }
    // Returns when everything queued has been heard (true) or stopped by Skip (true);
    // promptly and false when it cannot be heard, never hanging.
    virtual bool WaitUntilDone() = 0;
    // Ends the current speech and everything queued.
    virtual bool Skip() = 0;

    // What a binding may provide.
    // Sets the family up before its voices are counted; false when it cannot speak on
    // this machine, and its voices are left out of the list.
    virtual bool Open() { return true; }
    // Frees what Open took.
    virtual void Close() {}
    // Why the last Speak or SelectVoice that returned false failed.
    virtual EngineFailure LastFailure() const { return {}; }
    // The voice that speaks while none was ever selected: the session language's
    // voice, as the desktop chooses it; -1 when the binding cannot tell.
    virtual int DefaultVoice() { return -1; }
    // Tells the listener, on the GUI thread, of each word as it is heard and of each
    // text's end; nothing comes for what Skip dropped. A binding that cannot tell
    // keeps silent. An empty listener stops the telling.
    virtual void SetWordListener(HeardWordListener listener) { (void)listener; }
    // Whether voice i tells the listener of its words one by one as they are heard; a
    // voice that does not tells each text whole. Known before the voice first speaks.
    virtual bool VoiceTellsWords(int index) { (void)index; return true; }
};

// The run-time loaded Catalan/Spanish synthesizer library and its entry points. Each
// call is skipped (false or nothing) when the library is not loaded or lacks the entry.
class UpctvLibrary
{
public:
    virtual ~UpctvLibrary() = default;

    // What a binding must provide.
    // Loads the library and binds its ten entry points by name; false when missing.
    virtual bool Load() = 0;
    // Clears the entry points and frees the library.
    virtual void Unload() = 0;
    virtual bool Loaded() const = 0;

    // upcTVRead with a zero-terminated 8-bit text: starts speaking and returns.
    virtual bool Read(const QByteArray &text) = 0;
    virtual bool Stop() = 0;
    // 99 Catalan, 101 Spanish.
    virtual bool SetLanguage(int language) = 0;
    // 100 is normal; 10..250 are used.
    virtual bool SetSpeed(int speed) = 0;
    virtual bool SetSpeaker(int speaker) = 0;
    // upcTVStatus: non-zero while speaking.
    virtual std::optional<int> Status(int which) = 0;

    // What a binding may provide.
    // Whether the last reading, once ended, was heard; true when it cannot tell.
    virtual bool Heard() { return true; }
    // The word being heard, as its byte place and length in the text given to Read;
    // nothing when the library cannot tell.
    virtual std::optional<std::pair<int, int>> HeardWord() { return std::nullopt; }
    // Whether the synthesizer of the chosen voice is not installed (upcTVStatus(2)).
    virtual bool SynthesizerMissing() { return false; }
    // Whether the library can tell the word being heard at all (it has upcTVWord).
    virtual bool TellsWords() const { return false; }
};
