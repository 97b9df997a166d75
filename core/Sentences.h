#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Sentences of a text, as a reader moves by them. A sentence ends at ".", "!", "?" or
// "…" (with any closing quotes or brackets after them) followed by a blank or the end
// of the text, at a blank line, or at the end of the text. A full stop after a known
// abbreviation ("Sr.", "núm.", "p. ex.", a single letter) or inside a number ("3.5")
// ends none. Every lookup scans only around the position it is given.
namespace Sentences
{
// The start of the sentence that holds the position; the blanks after a sentence
// belong to it. 0 ... text.size().
int StartAt(QStringView text, int position);
// The start of the first sentence after the position; text.size() when none follows.
int NextStart(QStringView text, int position);
// The start of the sentence before the one that holds the position; 0 when none.
int PreviousStart(QStringView text, int position);
// Where the sentence that holds the position ends: after its last mark, before the
// blanks that follow it.
int EndAt(QStringView text, int position);
// Every sentence start, in order.
QList<int> Starts(QStringView text);
// The text as a voice is given it: a full stop followed by a blank that ends no sentence
// ("Sr.", "pàg.", an initial) becomes a blank, so that the voice neither pauses nor
// starts a new sentence there. Every other character keeps its place.
QString WithoutInnerStops(QStringView text);
} // namespace Sentences
