// Numbers as the user reads them: the user's decimal and grouping separators. Each platform
// supplies FormatNumber (Windows through the system's number formatting).
#pragma once

#include <string>

namespace tessaly {

// `decimals` fixed digits after the separator, rounded half away from zero; digit grouping
// when `grouping` is set ("#,##0"-style patterns).
std::wstring FormatNumber(double value, int decimals, bool grouping = false);

// A number in its shortest form (see ShortestNumber: 7.5, 18078.75, 3) written with the user's
// decimal separator and no grouping.
std::wstring FormatShortestNumber(double value);

// Rounds half away from zero to `decimals` places, the rounding the fixed patterns use.
double RoundHalfAway(double value, int decimals);

} // namespace tessaly
