#include "speech/VoiceLanguage.h"

#include "speech/SpeechController.h"
#include "engines/VoiceCatalog.h"
#include "speech/VoiceControl.h"

#include <QRegularExpression>

namespace
{
const QList<VoiceCatalog::Voice> &EspeakVoiceList()
{
    static const QList<VoiceCatalog::Voice> voices = VoiceCatalog::EspeakVoices();
    return voices;
}

// A speech-dispatcher entry ends "(module, language)".
QString LanguageOfEntry(const QString &entry)
{
    static const QRegularExpression tail(QStringLiteral(",\\s*([A-Za-z]{2,3}(?:[-_][A-Za-z0-9]+)?)\\)\\s*$"));
    const QRegularExpressionMatch match = tail.match(entry);
    return match.hasMatch() ? match.captured(1) : QString();
}
// The session's language; English where the session names none, as espeak-ng's default voice.
QString SessionLanguageOrEnglish()
{
    const QString language = VoiceCatalog::SessionLanguage().section(u'.', 0, 0);
    if (language.isEmpty() || language == QLatin1String("C") || language == QLatin1String("POSIX"))
        return QStringLiteral("en");
    return language;
}
} // namespace

QString SelectedVoiceLanguage(const VoiceControl &voices)
{
    return VoiceRowLanguage(voices, voices.SelectedIndex());
}

QString VoiceRowLanguage(const VoiceControl &voices, int selected)
{
    if (selected < 0 || selected >= voices.VoiceEntries().size())
        return SessionLanguageOrEnglish();
    const QString entry = voices.VoiceEntries().at(selected);
    // Rows run through the three families in the list's order.
    const int msp = voices.MspCount(), sapi = voices.SapiCount();
    const VoiceId voice = selected < msp          ? VoiceId{VoiceFamily::Msp, selected}
                          : selected < msp + sapi ? VoiceId{VoiceFamily::Sapi, selected - msp}
                                                  : VoiceId{VoiceFamily::Upctv, selected - msp - sapi};
    switch (voice.family) {
    case VoiceFamily::Msp:
        if (voices.MspCount() == EspeakVoiceList().size())
            return EspeakVoiceList().at(voice.index).language;
        break;
    case VoiceFamily::Sapi:
        break;
    case VoiceFamily::Upctv:
        if (voice.index >= 0 && voice.index < VoiceCatalog::kUpctvEntryCount)
            return VoiceCatalog::kUpctvEntries[size_t(voice.index)].languageCode == 99 ? QStringLiteral("ca")
                                                                                       : QStringLiteral("es");
        break;
    }
    const QString language = LanguageOfEntry(entry);
    return language.isEmpty() ? SessionLanguageOrEnglish() : language;
}
