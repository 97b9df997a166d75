#pragma once

#include <QString>
#include <QStringView>

// Turns a tune typed one note per line (title, time signature, then notes in
// solfège names with duration letters, and keyword lines) into a MusicXML 2.0
// partwise score.
struct MusicConversion
{
    enum class Outcome {
        Nothing,   // too few lines, or the tune ends on a keyword: the text stays
        Score,     // append `score` to the text
        WrongLine, // a body line is neither a keyword nor a note: append `mark` to it
    };
    Outcome outcome = Outcome::Nothing;
    QString score;      // begins with a line break; every line ends with one
    int wrongLine = -1; // index of the first wrong line
    QString mark;       // empty when the line already carries the message
};

// The text appended (after a TAB) to the first wrong line of a tune.
QString WrongNoteMessage();
// The text appended instead to a measure keyword, or a note, where no measure can be
// opened or closed.
QString WrongMeasureMessage();

// "do" ... "si" to "C" ... "B"; any other note part gives an empty step.
QString NoteStep(QStringView notePart);

struct NoteDuration
{
    QString count; // in divisions of 64 per quarter note; empty for an unknown key
    QString type;  // "whole" ... "64th"; empty for an unknown key
    bool dotted = false;
};
NoteDuration MapDuration(QStringView durationPart);

// What `score` holds: the score alone, or the text followed by the score, which is the
// editor's whole new text and spares the editor a copy of either.
enum class ScoreForm { ScoreOnly, TextAndScore };

// Lines are separated by "\n"; the empty line after a final break does not count.
MusicConversion ConvertMusicText(QStringView text, ScoreForm form = ScoreForm::ScoreOnly);
