#include "export/AudioExportRuns.h"

#include <QSet>

QList<ExportRun> VoicedRuns(const QList<LanguageRun> &languages, const LanguageVoiceChoice &chosen,
                            const std::function<std::optional<LanguageVoiceChoice>(const QString &language)> &voiceOf)
{
    QSet<QString> told;
    for (const LanguageRun &run : languages)
        if (!run.language.isEmpty())
            told.insert(run.language);
    if (told.size() < 2)
        return {};
    QList<ExportRun> runs;
    for (const LanguageRun &language : languages) {
        std::optional<LanguageVoiceChoice> voice;
        if (!language.language.isEmpty() && voiceOf)
            voice = voiceOf(language.language);
        const LanguageVoiceChoice &reader = voice ? *voice : chosen;
        if (!runs.isEmpty() && runs.last().voice == reader.voice
            && runs.last().start + runs.last().length == language.start) {
            runs.last().length += language.length;
            continue;
        }
        runs.append({language.start, language.length, reader.voice, reader.name});
    }
    return runs.size() > 1 ? runs : QList<ExportRun>{};
}

bool RunsCoverText(const QList<ExportRun> &runs, qsizetype length)
{
    if (runs.size() < 2)
        return false;
    qsizetype next = 0;
    for (const ExportRun &run : runs) {
        if (run.start != next || run.length <= 0)
            return false;
        next += run.length;
    }
    return next == length;
}

WordTimes JoinWordTimes(const QList<TimedPart> &parts)
{
    WordTimes joined;
    qsizetype spokenBefore = 0;
    for (const TimedPart &part : parts) {
        for (VoiceCatalog::SpokenMark mark : part.times.marks) {
            // A mark past its own recording's end would land in the next one.
            mark.ms = joined.soundMs + qBound(qint64(0), mark.ms, part.soundMs);
            mark.position += spokenBefore;
            joined.marks.append(mark);
        }
        joined.soundMs += part.soundMs;
        spokenBefore += part.spokenLength;
    }
    return joined;
}
