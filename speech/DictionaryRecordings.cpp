#include "speech/DictionaryRecordings.h"

#include "platform/SoundPlayers.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeakPreparation.h"

#include <QFileInfo>

DictionaryRecordings::DictionaryRecordings(WavePlayer *wave, MediaPlayer *media,
                                           const FormDiccionariExcepcions *dictionary)
    : m_wave(wave), m_media(media), m_dictionary(dictionary)
{
}

bool DictionaryRecordings::IsRecording(const QString &text)
{
    return SpeakPreparation::SoundFileKind(text) != SpeakPreparation::SoundFile::None;
}

QString DictionaryRecordings::PathOf(const QString &text) const
{
    return SpeakPreparation::SoundFolder(m_dictionary ? m_dictionary->DictionaryFileName() : QString()) + text;
}

std::optional<SpeechFailure> DictionaryRecordings::Play(const QString &text, bool wait)
{
    switch (SpeakPreparation::SoundFileKind(text)) {
    case SpeakPreparation::SoundFile::Wave:
        // The wave player is handed the name without an existence test.
        if (!m_wave || !m_wave->Play(PathOf(text), wait))
            return SpeechFailure::NotHeard;
        return std::nullopt;
    case SpeakPreparation::SoundFile::Mp3: {
        const QString path = PathOf(text);
        if (!m_media)
            return SpeechFailure::NotHeard;
        if (!QFileInfo::exists(path))
            return SpeechFailure::SoundFileMissing;
        m_media->Close();
        if (!m_media->Open(path) || !m_media->Play(wait))
            return SpeechFailure::NotHeard;
        return std::nullopt;
    }
    case SpeakPreparation::SoundFile::None:
        break;
    }
    return SpeechFailure::NotHeard;
}

void DictionaryRecordings::Stop()
{
    if (m_media)
        m_media->Close();
    if (m_wave)
        m_wave->Stop();
}
