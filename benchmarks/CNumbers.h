#pragma once

#include <clocale>

// The figures are read by scripts and compared across runs: their decimals are written
// with a point whatever the session's language, and the application object takes the
// session's locale when it starts, so this comes after it.
inline void FiguresInTheCLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}
