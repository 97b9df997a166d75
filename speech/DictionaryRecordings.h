#pragma once

#include "speech/SpeechOperations.h"

#include <optional>

class FormDiccionariExcepcions;
class MediaPlayer;
class WavePlayer;

// The stage before a voice is chosen: a text that names a sound file (a recording the
// exceptions dictionary gives for a word) is played from the dictionary's folder; any
// other text is left for the voice.
class DictionaryRecordings
{
public:
    // Any of them may be null: a recording is then not heard.
    DictionaryRecordings(WavePlayer *wave, MediaPlayer *media, const FormDiccionariExcepcions *dictionary);

    // Whether the text names a recording, which Play then plays instead of a voice.
    static bool IsRecording(const QString &text);
    // Plays the recording; with wait, returns when it has ended. Nothing when it was
    // heard, otherwise why not.
    std::optional<SpeechFailure> Play(const QString &text, bool wait);
    // Silences a recording being played.
    void Stop();

private:
    QString PathOf(const QString &text) const;

    WavePlayer *m_wave;
    MediaPlayer *m_media;
    const FormDiccionariExcepcions *m_dictionary;
};
