#include "monitor/monitor_format.h"

#include "common/number_format.h"

#include <algorithm>

namespace tessaly {

std::wstring NumberInKB(int64_t bytes) {
    if (bytes < 1024)
        return std::to_wstring(bytes) + L" bytes";
    static constexpr const wchar_t* kUnits[] = {L" KB", L" MB", L" GB", L" TB", L" PB", L" EB"};
    int unit = 0;
    double scale = 1024;
    while (unit < 5 && static_cast<double>(bytes) >= scale * 1024) {
        scale *= 1024;
        ++unit;
    }
    const double value = RoundHalfEven(static_cast<double>(bytes) / scale, unit == 0 ? 1 : 2);
    return FormatNumber(value, 3) + kUnits[unit];
}

std::wstring FormatSize(int64_t bytes) {
    if (bytes == -1)
        return L"0.0KB (0 bytes)";
    if (bytes < 1024)
        return FormatNumber(static_cast<double>(bytes), 0, true) + L" bytes";
    const int64_t k = bytes / 1024;
    const double n = static_cast<double>(bytes);
    if (k < 10)
        return FormatNumber(n / 1024, 2) + L" KB";
    if (k < 1000)
        return FormatNumber(n / 1024, 1) + L" KB";
    if (k < 10000)
        return FormatNumber(n / 1048576, 2) + L" MB";
    if (k < 1000000)
        return FormatNumber(n / 1048576, 1) + L" MB";
    return FormatNumber(n / 1073741824, 2) + L" GB";
}

std::wstring ToTime(int32_t seconds) {
    if (seconds < 60)
        return std::to_wstring(seconds) + L" seconds";
    if (seconds < 3600)
        return FormatShortest(RoundHalfEven(seconds / 60.0, 2), 2) + L" minutes";
    return FormatShortest(RoundHalfEven(seconds / 3600.0, 2), 2) + L" hours";
}

std::wstring CpuSpeedText(uint32_t mhz) {
    if (mhz > 999)
        return FormatNumber(RoundHalfEven(mhz / 1000.0, 4), 2) + L" GHz";
    return FormatNumber(mhz, 2) + L" MHz";
}

std::wstring PercentText(double percent) {
    return FormatNumber(percent, 3) + L" %";
}

namespace {
const wchar_t* BatteryFlagText(uint8_t flag) {
    switch (flag) {
    case 1:
        return L"High";
    case 2:
        return L"Low";
    case 4:
        return L"Critical";
    case 8:
    case 9:
        return L"Charging";
    case 128:
        return L"No system battery";
    default:
        return L"Unknown";
    }
}
} // namespace

PowerRows PowerCheck(const PowerRead& first, const PowerRead& second) {
    PowerRows rows;
    rows.status = BatteryFlagText(first.batteryFlag);
    if (!second.ok)
        rows.source = L"Error";
    else if (second.acLineStatus == 0)
        rows.source = L"Battery";
    else if (second.acLineStatus == 1)
        rows.source = L"On Line";
    else if (second.acLineStatus == 255)
        rows.source = L"Unknown";
    // Times past the signed range are as unknown as 0xFFFFFFFF itself.
    rows.life =
        first.lifeTime > 0x7FFFFFFFu ? L"Unknown" : ToTime(static_cast<int32_t>(first.lifeTime));
    const uint8_t acLine = second.ok ? second.acLineStatus : 0;
    if (first.lifePercent == 255) {
        rows.level = acLine == 1 ? 100 : 0;
    } else if (first.lifePercent <= 100) {
        rows.level = first.lifePercent;
        rows.levelAlert = first.lifePercent <= 10;
    }
    if (rows.level)
        rows.levelText = PercentText(*rows.level);
    return rows;
}

WindowPlace StatusWindowPlace(const ScreenRect& screen, const ScreenRect& workArea, int width,
                              int height, unsigned dpi) {
    const int twips500 = static_cast<int>((500LL * dpi + 720) / 1440);
    WindowPlace place{screen.right - width, screen.bottom - height - twips500};
    place.left = std::max(std::min(place.left, workArea.right - width), workArea.left);
    place.top = std::max(std::min(place.top, workArea.bottom - height), workArea.top);
    return place;
}

} // namespace tessaly
