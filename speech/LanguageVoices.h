#pragma once

#include "export/AudioExportRuns.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class SettingsStore;
class SpeechController;

// The voice that reads each language when the reading changes voice with the language:
// a row per language that a listed voice speaks, kept in the settings file's section of
// its own, one key per language code, the voice's entry text as value.
class LanguageVoices
{
public:
    static inline const QString kSection = QStringLiteral("Veus per llengua");

    // A voice of the list as the choice sees it: its entry, the language it speaks
    // ("ca", "es": the primary code), and how natural it sounds (lower is better).
    struct Candidate
    {
        QString entry;
        QString language;
        int naturalness = 0;
    };
    struct Row
    {
        QString language;
        // The voices of that language, most natural first.
        QStringList voices;
        QString chosen;
    };

    // The listed voices of the controller, with festival's natural Catalan voice ahead
    // where it can speak, then espeak-ng's own voice of each language.
    static QList<Candidate> CandidatesOf(const SpeechController &speech);

    // Builds the rows from the listed voices and the stored choices. A stored voice that
    // is no longer listed falls back to the language's first voice; once the list is
    // settled (every family answered), TakeFallBacks() tells it.
    void Refresh(const QList<Candidate> &candidates, const SettingsStore &settings, bool settled = true);

    const QList<Row> &Rows() const { return m_rows; }
    // The voice that reads the language; empty when no listed voice speaks it.
    QString VoiceFor(const QString &language) const;
    // The same as an export records with it: its place in the speech's list and its
    // entry; nothing when no listed voice speaks the language.
    std::optional<LanguageVoiceChoice> ExportVoiceFor(const QString &language, const SpeechController &speech) const;
    // Chooses a voice for a language and stores it; false when the voice does not
    // speak it or the settings could not be written (the choice holds for the session).
    bool Choose(const QString &language, const QString &voice, SettingsStore &settings);

    // A stored voice no longer listed, and the voice that reads its language instead
    // (empty when none does).
    struct FallBack
    {
        QString language;
        QString stored;
        QString used;
    };
    // What fell back since it was last asked; each is told once.
    QList<FallBack> TakeFallBacks() { return std::exchange(m_fallBacks, {}); }

private:
    QList<Row> m_rows;
    QList<FallBack> m_fallBacks;
    QStringList m_told;
};

// "es-419", "pt_BR", "en-gb" all give their primary code.
QString PrimaryLanguage(const QString &language);
