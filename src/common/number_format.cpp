#include "common/number_format.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

double RoundHalfAway(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    // The small nudge absorbs binary representation error (2.675 is stored as 2.67499...).
    const double scaled = std::fabs(value) * scale * (1 + 1e-12);
    const double rounded = std::floor(scaled + 0.5) / scale;
    return value < 0 ? -rounded : rounded;
}

double RoundHalfEven(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    const double floor = std::floor(scaled);
    const double fraction = scaled - floor;
    // Within a hair of one half counts as a half: 0.125 * 100 is held as 12.4999999...
    constexpr double kHair = 1e-9;
    double rounded;
    if (std::fabs(fraction - 0.5) <= kHair * std::max(1.0, std::fabs(scaled)))
        rounded = std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
    else
        rounded = std::floor(scaled + 0.5);
    return rounded / scale;
}

std::wstring FormatShortest(double value, int decimals) {
    std::wstring text = FormatNumber(value, decimals);
    if (decimals <= 0)
        return text;
    // The text ends in the separator and exactly `decimals` digits: drop the zeros among
    // them, then the separator when no digit is left after it.
    int dropped = 0;
    while (dropped < decimals && !text.empty() && text.back() == L'0') {
        text.pop_back();
        ++dropped;
    }
    if (dropped == decimals)
        while (!text.empty() && (text.back() < L'0' || text.back() > L'9'))
            text.pop_back();
    if (text == L"-0")
        text = L"0";
    return text;
}

} // namespace tessaly
