#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <array>
#include <functional>

// The voices that the editor and the rendering program share: the espeak-ng voices
// (family MSP), the speech-dispatcher voices (family SAPI) and the four fixed entries
// of the run-time loaded library (family UPCTV), with the rate mappings of each. A
// family and an index mean the same voice in every program that uses this library.
namespace VoiceCatalog {

struct Voice
{
    QString description; // the entry text (without the "SAPI - " prefix)
    QString identifier;  // espeak-ng voice file or speech-dispatcher voice name
    QString language;
    QString module;      // speech-dispatcher output module; empty for espeak-ng
};

// --- espeak-ng (family MSP) -------------------------------------------------------

// The espeak-ng voices, sorted by description and then identifier, so the order does
// not depend on the order of the voice files on disk. MBROLA voices are left out (they
// need data that is usually missing). Needs no sound device. Empty when espeak-ng
// cannot be initialised.
QList<Voice> EspeakVoices();

// The session's language as a locale name ("ca_ES.UTF-8"): LC_ALL, else LC_MESSAGES,
// else LANG, as every program of the session reads it.
QString SessionLanguage();

// The espeak-ng voice (an index in EspeakVoices()) that speaks the locale's language:
// its language and region first, then its language, else English.
int EspeakDefaultVoice(const QString &localeName);

// The espeak-ng voice (an index in voices) of a language code ("ca", "es-ES"): that
// language and region, else that language, else a region of it; -1 when none.
int EspeakVoiceForLanguage(const QList<Voice> &voices, const QString &language);

// The rate -10..10 as espeak-ng words per minute: 0 gives 175, -10 gives 80, 10 gives
// 450, strictly increasing in between. Positions outside -10..10 are clamped.
int EspeakWordsPerMinute(int rate);

// The sample rate of the 16-bit mono samples espeak-ng produces; 0 when it cannot start.
int EspeakSampleRate();

// Receives each block of samples; returns false to stop the rendering at once.
using SampleSink = std::function<bool(const qint16 *samples, int count)>;

// Renders the text (UTF-8 inside, as a QString) with the espeak-ng voice of that index
// in EspeakVoices() (an index outside the list keeps espeak-ng's default voice) at the
// rate -10..10, in espeak-ng's synchronous mode on the calling thread. Calls from
// several threads are serialised. False when espeak-ng cannot render or the sink stops.
bool RenderEspeak(const QString &text, int voiceIndex, int rate, const SampleSink &sink);
// A word or a sentence reached while rendering: where it begins in the text (QString
// positions) and when it is heard, in milliseconds from the first sample.
struct SpokenMark
{
    enum class Kind { Word, Sentence };
    Kind kind = Kind::Word;
    qsizetype position = 0;
    qsizetype length = 0;  // 0 for a sentence
    qint64 ms = 0;
};
using MarkSink = std::function<void(const SpokenMark &mark)>;
// RenderEspeak that also hands each word and sentence to marks, in the order spoken.
bool RenderEspeakMarked(const QString &text, int voiceIndex, int rate, const SampleSink &sink, const MarkSink &marks);
// RenderEspeakMarked with a voice named as espeak-ng names it, a variant too ("ca+m3"); an
// unknown name gives English.
bool RenderEspeakNamed(const QString &text, const QByteArray &identifier, int rate, const SampleSink &sink,
                       const MarkSink &marks);

// --- speech-dispatcher (family SAPI) ----------------------------------------------

// The voices of every speech-dispatcher output module except the espeak-ng ones
// (already in the first family), without the "+variant" copies; modules in name
// order, voices in name order within a module. Empty when the service cannot be
// reached within the time limit; answered (when given) says whether it answered.
QList<Voice> SpeechDispatcherVoices(int timeoutMs = 3000, bool *answered = nullptr);

// The rate -10..10 as speech-dispatcher's -100..100.
int SpeechDispatcherRate(int rate);

// --- The run-time loaded library (family UPCTV) ------------------------------------

struct UpctvEntry
{
    const char *text;         // UTF-8
    const char *languageName;
    int languageCode;         // 99 Catalan, 101 Spanish
    int speaker;
};

inline constexpr int kUpctvEntryCount = 4;
// The Catalan woman, who speaks with festival's natural ona voice.
inline constexpr int kUpctvOnaEntry = 1;
extern const std::array<UpctvEntry, kUpctvEntryCount> kUpctvEntries;
// The entry texts as shown in the voice list.
QString UpctvEntryText(int entry);
// Whether the library's voice of that entry tells the word being heard (the Catalan
// woman's voice, which the library renders itself).
bool UpctvEntryTellsWords(int entry);
// 99 when the name is "catala", 101 for anything else.
int UpctvLanguageCode(const QString &languageName);
// The library's speed for the rate -10..10: 100 + 15p above 0, 10(p + 10) at or below,
// with -10 taken as -9 (so -10 and -9 both give 10, 0 gives 100, 10 gives 250).
int UpctvSpeed(int rate);

} // namespace VoiceCatalog
