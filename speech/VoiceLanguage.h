#pragma once

#include <QString>

class VoiceControl;

// The language the selected voice speaks, as voices name it ("ca", "es", "en-gb"): an
// espeak-ng voice's own, the one a speech-dispatcher voice gives, Catalan or Spanish for
// the library's voices; the session's (English without one) while no voice was ever
// chosen or when the voice does not say.
QString SelectedVoiceLanguage(const VoiceControl &voices);

// The same for a row of the voice list.
QString VoiceRowLanguage(const VoiceControl &voices, int row);
