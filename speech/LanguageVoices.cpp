#include "speech/LanguageVoices.h"

#include "core/SettingsStore.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"
#include "speech/SpeechController.h"
#include "speech/VoiceLanguage.h"

#include <algorithm>

namespace
{
// How natural a voice of the list sounds: festival's ona, then the espeak-ng voice that
// bears its language's own name ("es" is Spain's Spanish), the speech service's voices,
// the other espeak-ng voices of the language, and last the library's espeak-ng voices.
int Naturalness(const SpeechController &speech, int row, const QString &language)
{
    const VoiceId voice = speech.VoiceOfRow(row);
    switch (voice.family) {
    case VoiceFamily::Upctv:
        if (voice.index == VoiceCatalog::kUpctvOnaEntry && UpctvRenderingProblem(voice).isEmpty())
            return 0;
        return 4;
    case VoiceFamily::Sapi:
        return 2;
    case VoiceFamily::Msp:
        break;
    }
    static const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    if (voice.index >= 0 && voice.index < espeak.size()
        && espeak.at(voice.index).identifier.section(u'/', -1).compare(language, Qt::CaseInsensitive) == 0)
        return 1;
    return 3;
}
} // namespace

QString PrimaryLanguage(const QString &language)
{
    return language.section(u'-', 0, 0).section(u'_', 0, 0).trimmed().toLower();
}

QList<LanguageVoices::Candidate> LanguageVoices::CandidatesOf(const SpeechController &speech)
{
    QList<Candidate> candidates;
    const QStringList entries = speech.VoiceEntries();
    for (int row = 0; row < entries.size(); ++row) {
        const QString language = PrimaryLanguage(VoiceRowLanguage(speech, row));
        if (!language.isEmpty())
            candidates.append({entries.at(row), language, Naturalness(speech, row, language)});
    }
    return candidates;
}

void LanguageVoices::Refresh(const QList<Candidate> &candidates, const SettingsStore &settings, bool settled)
{
    QList<Candidate> sorted = candidates;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Candidate &a, const Candidate &b) { return a.naturalness < b.naturalness; });
    m_rows.clear();
    for (const Candidate &candidate : sorted) {
        auto row = std::find_if(m_rows.begin(), m_rows.end(),
                                [&](const Row &r) { return r.language == candidate.language; });
        if (row == m_rows.end()) {
            m_rows.append({candidate.language, {}, {}});
            row = m_rows.end() - 1;
        }
        if (!row->voices.contains(candidate.entry))
            row->voices << candidate.entry;
    }
    std::sort(m_rows.begin(), m_rows.end(), [](const Row &a, const Row &b) { return a.language < b.language; });
    for (Row &row : m_rows) {
        const QString stored = settings.ReadString(kSection, row.language, QString());
        row.chosen = row.voices.contains(stored) ? stored : row.voices.first();
        if (!settled || stored.isEmpty() || row.voices.contains(stored))
            continue;
        const QString told = row.language + u'=' + stored;
        if (!m_told.contains(told)) {
            m_told << told;
            m_fallBacks.append({row.language, stored, row.chosen});
        }
    }
}

QString LanguageVoices::VoiceFor(const QString &language) const
{
    const QString code = PrimaryLanguage(language);
    for (const Row &row : m_rows)
        if (row.language == code)
            return row.chosen;
    return {};
}

std::optional<LanguageVoiceChoice> LanguageVoices::ExportVoiceFor(const QString &language,
                                                                  const SpeechController &speech) const
{
    const QString name = VoiceFor(language);
    const int row = name.isEmpty() ? -1 : int(speech.VoiceEntries().indexOf(name));
    if (row < 0)
        return std::nullopt;
    return LanguageVoiceChoice{speech.VoiceOfRow(row), name};
}

bool LanguageVoices::Choose(const QString &language, const QString &voice, SettingsStore &settings)
{
    for (Row &row : m_rows) {
        if (row.language != PrimaryLanguage(language) || !row.voices.contains(voice))
            continue;
        row.chosen = voice;
        return settings.WriteString(kSection, row.language, voice);
    }
    return false;
}
