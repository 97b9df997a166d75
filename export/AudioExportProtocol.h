#pragma once

#include "engines/VoiceCatalog.h"
#include "engines/VoiceId.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The exchange between the editor and the rendering program: the section and keys of
// "sonnerix.ini", the window title, the message numbers, the voice families and the
// rules for the sound file's name. Both ends build on this one file.
namespace ExportProtocol {

inline const QString kSection = QStringLiteral("tts to Wav");
inline const QString kKeyWavDir = QStringLiteral("WAV DIR");
inline const QString kKeyWav = QStringLiteral("WAV");
inline const QString kKeyWavText = QStringLiteral("WAV TEXT");
inline const QString kKeySpeed = QStringLiteral("SPEED");
inline const QString kKeyFamily = QStringLiteral("Tipus de sintetitzador");
inline const QString kKeyVoice = QStringLiteral("Sintetitzador");
inline const QString kKeyStatus = QStringLiteral("STATUS");
// Written after the rest, only when subtitles are wanted: a file name in "WAV DIR" where the
// renderer writes when each word is heard. The renderer empties it once read, so that it
// serves one job; a renderer that does not know it writes no such file.
inline const QString kKeyWavWords = QStringLiteral("WAV WORDS");

inline const QString kFirstWavName = QStringLiteral("Sonnerix.wav");
inline const QString kTextFileName = QStringLiteral("Sintetitzat.txt");
inline const QString kStartName = QStringLiteral("Sintetitzat");

// The rendering program's title begins with this; the editor searches for it.
inline const QString kRendererTitle = QStringLiteral("SonnerixaWav - Projecte Quimbo 2013 - ");
// The rendering window's whole title: the fixed beginning, the credits, then the exchange
// file it answers for, so that each program folder's export finds its own renderer.
QString RendererWindowTitle(const QString &exchangeFile);
inline const QString kRendererProgram = QStringLiteral("SonnerixaWav");
inline const QString kRendererArgument = QStringLiteral("QUIMBO");

// The platform's first user message number is 1024.
constexpr int kMessageHello = 1025;
constexpr int kMessageRender = 1032;

// "STATUS": "0" when done; 1..100 while rendering, as a percentage.
inline const QString kStatusDone = QStringLiteral("0");

} // namespace ExportProtocol

// A voice as the exchange file names it: "Tipus de sintetitzador" and "Sintetitzador".
using ExportFamily = VoiceFamily;
using ExportVoice = VoiceId;

// Which synthesizer the rendering program records a speech-dispatcher voice with: the
// one that speaks it, where the program can reach it (the espeak-ng voice of that name,
// flite's built-in voice, festival's voice of that name), else the espeak-ng voice of its
// language.
enum class SapiRecorder { Espeak, Flite, Festival, EspeakOfLanguage };
SapiRecorder SapiRecorderOf(const VoiceCatalog::Voice &voice);
// The flite voices the rendering program has built in, as speech-dispatcher names them.
inline const QStringList kFliteVoices = {QStringLiteral("awb"), QStringLiteral("kal"), QStringLiteral("kal16"),
                                         QStringLiteral("rms"), QStringLiteral("slt")};
// festival's Catalan voice, as speech-dispatcher's festival module names it; the UPCTV
// entry that speaks with it (VoiceCatalog::kUpctvOnaEntry) records it.
inline const QString kFestivalOnaVoice = QStringLiteral("upc_ca_ona_hts");

// What is said before an export in a voice the rendering program cannot record: the
// voice it records with instead (a speech-dispatcher voice whose synthesizer it cannot
// reach is recorded by the espeak-ng voice of its language), or that there is none.
// voiceName is the voice's entry in the list; sapiVoice the speech-dispatcher voice,
// null when the service does not list it. Empty when the voice records itself.
QString ExportVoiceSubstitution(const ExportVoice &voice, const QString &voiceName,
                                const VoiceCatalog::Voice *sapiVoice);

// Why a voice of the UPCTV family cannot be rendered here, and that no sound file was
// made (an entry beyond the four, or festival or its Catalan voice not installed for the
// Catalan woman: what to install, in the interface language `language`, an index of the
// language list); empty when it can, and for the other families.
QString UpctvRenderingProblem(const ExportVoice &voice, int language = 0);

// The longest text the Catalan woman records (some books, some twenty hours of sound at
// the normal rate): festival is slow enough that a much longer one would keep the export
// busy for many hours. A recording that outgrows what a WAV file holds fails there.
inline constexpr qsizetype kLongestOnaText = 1000000;
// Why a text of `length` characters is not recorded with the voice, in the interface
// language `language`; empty when it is.
QString UpctvTextTooLong(const ExportVoice &voice, qsizetype length, int language = 0);

// "MSP", "SAPI", "UPCTV".
QString FamilyKeyText(ExportFamily family);
std::optional<ExportFamily> FamilyFromKeyText(const QString &text);

// "WAV TEXT" holds the whole document on one line: line breaks, other control
// characters and backslashes are escaped, and both ends read it without a length limit.
QString EscapeExchangeText(const QString &text);
QString UnescapeExchangeText(const QString &text);

// The name the exchange file gives back for a typed one: its values lose the blanks at
// their ends, so the name loses them before it is used at all.
QString SoundFileNameOf(const QString &typed);

// The sound file name a document file gives its recordings: its name without the last
// extension and without final dots ("Capitol 1..txt" gives "Capitol 1"), which may still
// be unusable ("a..b.txt").
QString SoundFileNameOfDocument(const QString &documentPath);

// A sound file name that stays inside the records folder: not empty, no "/", no "..",
// no final "." (which ".wav" would make a ".."), no control characters, and short enough for "<name>.wav.mp3" to be a file name.
bool IsUsableSoundFileName(const QString &name);
// Removes the hidden files an export of a process that has ended left in the records
// folder (its word times, its WAV for encoding); those of running processes stay.
void RemoveLeftoversOfEndedExports(const QString &recordsDir);

// Which export controls the window enables, for the name field's text (a name of
// blanks only is no name) and whether an
// export is running (the name field is disabled then, so that the name stays fixed).
struct ExportControls
{
    bool wavButton = false;
    bool mp3Button = false;
    bool opusItem = false;
    bool nameField = true;
};
ExportControls ExportControlsFor(const QString &name, bool exporting);

// The editor's lines as "Sintetitzat.txt" holds them: each line ends in CR LF.
QByteArray TextFileContents(const QString &text);

// The "SPEED" value clamped to the rate bar's range, 0 when it is not a number.
int RateFromSpeedText(const QString &text);

// When each word and sentence of "WAV TEXT" is heard in the sound file (positions in the
// text as given, times in milliseconds), and how long the sound lasts.
struct WordTimes
{
    QList<VoiceCatalog::SpokenMark> marks;
    qint64 soundMs = 0;
};
// The word-times file: a line per mark, "W <ms> <position> <length>" or "S <ms> <position>",
// and "E <ms>" for the sound's length last; UTF-8 digits only.
QByteArray WordTimesFileContents(const WordTimes &times);
// Nothing when a line is not one of those, or the "E" line is missing.
std::optional<WordTimes> ParseWordTimes(const QByteArray &contents);
