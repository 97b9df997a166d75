#include "tolvanet-tool/VoiceArgument.h"

#include "engines/VoiceCatalog.h"
#include "speech/SpeechController.h"

namespace {

std::optional<int> RowOf(const SpeechController &voices, const VoiceId &voice)
{
    const int rows = int(voices.VoiceEntries().size());
    for (int row = 0; row < rows; ++row)
        if (voices.VoiceOfRow(row) == voice)
            return row;
    return std::nullopt;
}

} // namespace

std::optional<int> VoiceRowByName(const QString &name, const SpeechController &voices)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    const QStringList entries = voices.VoiceEntries();
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int row = 0; row < entries.size(); ++row)
            if (entries.at(row).compare(wanted, sensitivity) == 0)
                return row;
    }
    // A language code names espeak-ng's voice of that language: the voice whose file has
    // that name first (espeak-ng's "es" is Spain's Spanish), then any of that language.
    const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    for (int i = 0; i < espeak.size(); ++i) {
        const QString &identifier = espeak.at(i).identifier;
        if (identifier.compare(wanted, Qt::CaseInsensitive) == 0
            || identifier.section(QLatin1Char('/'), -1).compare(wanted, Qt::CaseInsensitive) == 0)
            if (const std::optional<int> row = RowOf(voices, VoiceId{VoiceFamily::Msp, i}))
                return row;
    }
    for (int i = 0; i < espeak.size(); ++i) {
        if (espeak.at(i).language.compare(wanted, Qt::CaseInsensitive) == 0)
            if (const std::optional<int> row = RowOf(voices, VoiceId{VoiceFamily::Msp, i}))
                return row;
    }
    return std::nullopt;
}
