#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Turns blackboard points typed one value per line (the point count, then six
// lines per point) into the JavaScript arrays of an HTML5 page.

// The largest point count whose script is built; a larger one is refused rather
// than filling the memory.
constexpr int MaxBlackboardPoints = 10'000'000;

struct BlackboardScript
{
    bool built = false;
    QString script;  // the new whole text, every line ended by a break
    QString message; // why nothing was built
};

// A decimal integer with an optional sign and leading blanks, as the design's
// run-time reads one; nothing for any other text or one out of 32-bit range.
std::optional<int> ParseDecimalInteger(QStringView text);

// A value as the script can hold it: a decimal number, with blanks or tabs around it,
// written as it stands, or without the leading zeros that would make it octal; nothing
// for any other text.
std::optional<QString> BlackboardValue(QStringView line);

// Lines are separated by "\n". The count's lines must all be there and be numbers:
// otherwise nothing is built and the message names the first wrong line. progress is
// told each point number before the point is written.
BlackboardScript BuildBlackboardScript(QStringView text,
                                       const std::function<void(int)> &progress = {});
