#pragma once

#include "export/AudioExportProtocol.h"
#include "spell/LanguageDetector.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// A stretch of the document recorded by a voice of its own, when the voice follows the
// language: its place in the text and the voice that reads it.
struct ExportRun
{
    int start = 0;
    int length = 0;
    ExportVoice voice;
    QString voiceName;  // its entry in the voice list
    friend bool operator==(const ExportRun &, const ExportRun &) = default;
};

// A language's voice: where it stands in the voice list and its entry there.
struct LanguageVoiceChoice
{
    ExportVoice voice;
    QString name;
};

// The document cut where the voice of its language changes, each stretch with the voice
// that reads it (voiceOf's answer for its language; the chosen voice for a language
// nobody speaks or none told). Empty when one voice reads it all, and for a text of one
// language: that is recorded with the chosen voice, as without the switch.
QList<ExportRun> VoicedRuns(const QList<LanguageRun> &languages, const LanguageVoiceChoice &chosen,
                            const std::function<std::optional<LanguageVoiceChoice>(const QString &language)> &voiceOf);

// Whether the runs cover a text of `length` characters in order, without gaps or
// overlaps, in more than one voice: only then are they recorded apart.
bool RunsCoverText(const QList<ExportRun> &runs, qsizetype length);

// The word times of recordings joined in order: each one's marks move by the sound and
// the spoken text before it. `parts` holds each recording's times, its sound's length
// and its spoken text's length.
struct TimedPart
{
    WordTimes times;
    qint64 soundMs = 0;
    qsizetype spokenLength = 0;
};
WordTimes JoinWordTimes(const QList<TimedPart> &parts);
