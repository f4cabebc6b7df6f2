#include "common/number_format.h"

#include "common/text.h"

#include <cmath>

namespace tessaly {

double RoundHalfAway(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    // The small nudge absorbs binary representation error (2.675 is stored as 2.67499...).
    const double scaled = std::fabs(value) * scale * (1 + 1e-12);
    const double rounded = std::floor(scaled + 0.5) / scale;
    return value < 0 ? -rounded : rounded;
}

std::wstring FormatShortestNumber(double value) {
    const std::wstring plain = ShortestNumber(value);
    const size_t point = plain.find(L'.');
    const int decimals =
        point == std::wstring::npos ? 0 : static_cast<int>(plain.size() - point - 1);
    return FormatNumber(value, decimals);
}

} // namespace tessaly
