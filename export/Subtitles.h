#pragma once

#include "export/AudioExportProtocol.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Which subtitle files an export writes beside its sound file.
struct SubtitleChoice
{
    bool srt = false;  // SubRip: one cue per sentence
    bool lrc = false;  // lyrics with every word timed
    bool Any() const { return srt || lrc; }
    bool operator==(const SubtitleChoice &) const = default;
};
inline constexpr SubtitleChoice kAllSubtitles{true, true};

// "srt", "lrc" or both, separated by commas, in any letter case; nothing for anything else.
std::optional<SubtitleChoice> ParseSubtitleChoice(const QString &list);

// A word of the document and when it begins to be heard.
struct TimedWord
{
    QString text;
    qint64 ms = 0;
};

// A sentence of the document, heard from startMs until endMs.
struct TimedSentence
{
    QList<TimedWord> words;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// The document's words grouped in sentences, timed by the marks of the spoken text. The
// spoken text is the document after the exceptions dictionary: when it differs, its
// words lend their times to the document's words in order. Words the voice passes over
// (a lone dash) join the word before them. Word times rise by at least 10 ms (the
// lyrics' resolution) and every time lies within the sound.
QList<TimedSentence> TimeSentences(const QString &document, const QString &spoken, const WordTimes &times);

// A run of the document between blanks ([start, end)), and when the voice begins to
// say it: nothing for a run it passes over. When the spoken text differs from the
// document, its timed runs time the document's in turn.
struct TimedRun
{
    qsizetype start = 0;
    qsizetype end = 0;
    std::optional<qint64> ms;
};
QList<TimedRun> TimeRuns(const QString &document, const QString &spoken, const WordTimes &times);

// The SubRip file: UTF-8, a cue per sentence, lines of at most about 42 characters.
QByteArray SrtFileContents(const QList<TimedSentence> &sentences);
// The lyrics file: UTF-8, a title and length header, then a line per sentence with a
// <mm:ss.xx> tag before every word.
QByteArray LrcFileContents(const QList<TimedSentence> &sentences, const QString &title, qint64 soundMs);
