#pragma once

#include <QString>

#include <optional>

namespace korvanta {

// The number at the start of `text`: blanks and tabs are skipped (also between digits), then an
// optional sign, digits, an optional fraction and an optional exponent are read; reading stops at
// the first other character. Text that does not start with a number gives 0.
double NumberFromText(const QString& text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). Values
// outside the int range are clamped.
int RoundHalfEven(double value);

// NumberFromText followed by RoundHalfEven.
int IntegerFromText(const QString& text);

// "True"/"False" in any letter case, or a number (0 false, anything else true). Anything else,
// the empty text included, is a conversion failure (nullopt).
std::optional<bool> BooleanFromText(const QString& text);

// "True" or "False".
QString TextFromBoolean(bool value);

// The decimal text of a single-precision number: at most 7 significant digits, no exponent for
// ordinary window measures, no trailing zeros ("5700", "1234.5", "-1").
QString TextFromSingle(double value);

} // namespace korvanta
