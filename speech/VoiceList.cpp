#include "speech/VoiceList.h"

#include "core/SettingsStore.h"

#include <algorithm>

namespace {

QString PrefixOf(VoiceFamily family)
{
    return family == VoiceFamily::Sapi ? QStringLiteral("SAPI - ") : QString();
}

} // namespace

void VoiceList::SetFamily(VoiceFamily family, const QStringList &descriptions)
{
    m_entries.removeIf([family](const Entry &entry) { return entry.voice.family == family; });
    qsizetype at = 0;
    while (at < m_entries.size() && m_entries.at(at).voice.family < family)
        ++at;
    QList<Entry> added;
    added.reserve(descriptions.size());
    for (int i = 0; i < descriptions.size(); ++i)
        added.append({{family, i}, PrefixOf(family) + descriptions.at(i)});
    m_entries.insert(at, added.size(), Entry{});
    std::copy(added.cbegin(), added.cend(), m_entries.begin() + at);
}

int VoiceList::Count(VoiceFamily family) const
{
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(),
                             [family](const Entry &entry) { return entry.voice.family == family; }));
}

QStringList VoiceList::Texts() const
{
    QStringList texts;
    texts.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        texts << entry.text;
    return texts;
}

int VoiceList::RowOf(const VoiceId &voice) const
{
    for (int row = 0; row < size(); ++row)
        if (m_entries.at(row).voice == voice)
            return row;
    return -1;
}

VoiceId VoiceList::VoiceAt(int row) const
{
    return row >= 0 && row < size() ? m_entries.at(row).voice : kNoVoiceChosen;
}

QString VoiceList::TextAt(int row) const
{
    return row >= 0 && row < size() ? m_entries.at(row).text : QString();
}

namespace StoredVoice {

Stored Read(const SettingsStore &settings)
{
    return {settings.ReadString(kSection, kKeyNumber, QStringLiteral("-1")),
            settings.ReadString(kSection, kKeyName, QString())};
}

Resolved Resolve(const Stored &stored, const QStringList &entries, int settledRows)
{
    using Outcome = Resolved::Outcome;
    const bool complete = settledRows >= entries.size();
    const std::optional<int> number = ToInteger(stored.number);
    if (!stored.name.isEmpty()) {
        // Two entries may share a text: the one the number names, if it is one of them.
        const int row = number && *number >= 0 && *number < entries.size() && entries.at(*number) == stored.name
            ? *number : int(entries.indexOf(stored.name));
        if (row >= 0 && row < settledRows)
            return {Outcome::Chosen, row, row != number};
        if (row >= 0 || !complete)
            return {Outcome::Pending, -1, false};
        // A voice that has gone from the whole list: the number chooses, as it always did.
    }
    if (!number)
        return {};
    if (*number < 0)
        return {Outcome::NoneChosen, -1, false};
    if (*number >= settledRows && !complete)
        return {Outcome::Pending, -1, false};
    return {Outcome::Chosen, *number, false};
}

bool InFirstRows(const Stored &stored, const QStringList &firstRows)
{
    if (!stored.name.isEmpty())
        return firstRows.contains(stored.name);
    const std::optional<int> number = ToInteger(stored.number);
    return number && *number >= 0 && *number < firstRows.size();
}

} // namespace StoredVoice
