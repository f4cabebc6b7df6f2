// Numbers as the user reads them: the user's decimal and grouping separators. Each platform
// supplies FormatNumber (Windows through the system's number formatting).
#pragma once

#include <string>

namespace tessaly {

// `decimals` fixed digits after the separator, rounded half away from zero; digit grouping
// when `grouping` is set ("#,##0"-style patterns).
std::wstring FormatNumber(double value, int decimals, bool grouping = false);

// Rounds half away from zero to `decimals` places, the rounding the fixed patterns use.
double RoundHalfAway(double value, int decimals);

// Rounds half to even ("banker's rounding") to `decimals` places: 2.5 gives 2, 3.5 gives 4.
double RoundHalfEven(double value, int decimals);

// A number in its shortest form with the user's decimal separator, at most `decimals`
// places: 1.5, 59.98, 2 (no trailing zeros, no separator without a fraction, no grouping).
std::wstring FormatShortest(double value, int decimals);

} // namespace tessaly
