#pragma once

#include <QString>
#include <QStringList>

// The two rendered voice families as the voice list numbers them, and the rate.
namespace ExportVoices {

// The espeak-ng voices in the list's order (their identifiers). Initialises
// libespeak-ng when nothing has yet.
QStringList EspeakVoiceIdentifiers();
// The rate bar's position, -10..10, as espeak-ng words per minute.
int EspeakWordsPerMinute(int rate);
// The languages of the speech-dispatcher voices in the list's order: every output
// module but espeak-ng, without "+variant" copies. Empty when the service cannot be reached.
QStringList SpeechDispatcherVoiceLanguages();

} // namespace ExportVoices
