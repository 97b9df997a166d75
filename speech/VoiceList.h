#pragma once

#include "engines/VoiceId.h"

#include <QList>
#include <QString>
#include <QStringList>

class SettingsStore;

// The voice list as the speech window shows it, each entry knowing its voice: the
// espeak-ng voices, the speech-dispatcher ones ("SAPI - "), then the library's four.
// The editor and tolvanet-tool build it with this class, so that a row means the same
// voice in both once both have every family.
class VoiceList
{
public:
    struct Entry
    {
        VoiceId voice;
        QString text;
    };

    // Gives a family its entries, in their place among the other families (a family
    // that joins later goes before the families after it). Replaces what it had.
    void SetFamily(VoiceFamily family, const QStringList &descriptions);
    int Count(VoiceFamily family) const;
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QStringList Texts() const;
    // -1 when the voice is not in the list.
    int RowOf(const VoiceId &voice) const;
    // The voice of a row; "no voice chosen" for a row outside the list.
    VoiceId VoiceAt(int row) const;
    // Empty for a row outside the list.
    QString TextAt(int row) const;

private:
    QList<Entry> m_entries;
};

// The chosen voice as the settings file keeps it: its row in the list ("Numero
// sintetitzador", the designed key) and its entry's text beside it ("Nom sintetitzador").
// Rows move when a family joins or leaves; the text does not, so where the two
// disagree the text is trusted. Here and in SpeechSettings, which writes them, rows
// and settings meet.
namespace StoredVoice {

inline const QString kSection = QStringLiteral("tts");
inline const QString kKeyNumber = QStringLiteral("Numero sintetitzador");
inline const QString kKeyName = QStringLiteral("Nom sintetitzador");

struct Stored
{
    QString number = QStringLiteral("-1");
    QString name;
};
Stored Read(const SettingsStore &settings);

struct Resolved
{
    enum class Outcome {
        Chosen,     // row is the voice
        NoneChosen, // "-1": each engine keeps its default voice
        Unusable,   // the number is no number and the name names no entry
        Pending,    // the voice may be among entries still to come
    };
    Outcome outcome = Outcome::Unusable;
    int row = -1;
    // The stored number names another row than the name: it is to be written again.
    bool numberStale = false;
};
// Which row of the list the stored voice is. settledRows: how many rows at the top of
// the list can no longer move (the whole list once every family has answered).
Resolved Resolve(const Stored &stored, const QStringList &entries, int settledRows);
// Whether the stored voice is one of the first family's (by its name when it has one):
// such a voice needs no other family to be found.
bool InFirstRows(const Stored &stored, const QStringList &firstRows);

} // namespace StoredVoice
