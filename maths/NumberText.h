#pragma once

#include <QString>

#include <cstdint>

// How the mathematics write numbers into the document, and the small text helpers
// that the evaluator and the solver share.

// x rounded to the nearest integer (ties to even), held within ±2000000000.
// A value that is not a number gives 0.
std::int32_t RoundClamp(double x);

// The calculator's text of a value: decimal comma, decimals limited by the size.
QString FormatResult(double x);

// The solver's text of a coefficient: decimal point, at most six decimals.
QString FormatCoefficient(double x);

// FormatCoefficient, with a negative value between parentheses.
QString BracketNegative(double x);

// Shortest text of at most 15 significant digits, with a decimal comma and
// exponents written "E15" / "E-7"; a negative zero is written "0".
QString GeneralFormat(double x);

// The text without blanks and tabs.
QString StripBlanks(const QString &text);
// a-z turned into A-Z; every other character, accented letters included, unchanged.
QString ToUpperAscii(const QString &text);
QString LeftPart(const QString &text, int count);
QString RightPart(const QString &text, int count);
