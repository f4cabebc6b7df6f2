// The texts of the status monitor: byte counts, battery times, the processor clock, the power
// rows and percentages, all with the user's separators; and where the window sits. Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

// A 64-bit byte count in the largest unit of 1024 that fits: "512 bytes", "1.500 KB",
// "8.000 GB". The unit is chosen before rounding, so 1,048,535 bytes read "1024.000 KB".
std::wstring NumberInKB(int64_t bytes);

// A byte count in the short form of the video memory row: "1,023 bytes", "5.00 KB",
// "128.0 MB", "8.00 GB"; -1 reads "0.0KB (0 bytes)".
std::wstring FormatSize(int64_t bytes);

// Seconds as "45 seconds", "1.5 minutes", "2 hours" (always the plural).
std::wstring ToTime(int32_t seconds);

// The processor clock from the registry's "~MHz": "999.00 MHz", "2.39 GHz".
std::wstring CpuSpeedText(uint32_t mhz);

// A percentage as the value labels show it: "57.000 %".
std::wstring PercentText(double percent);

// One power-status read; `ok` false when the read failed (the fields are then zero).
struct PowerRead {
    bool ok = false;
    uint8_t acLineStatus = 0; // 0 off line, 1 on line, 255 unknown
    uint8_t batteryFlag = 0;  // bits: 1 high, 2 low, 4 critical, 8 charging, 128 no battery
    uint8_t lifePercent = 0;  // 0-100, 255 unknown
    uint32_t lifeTime = 0;    // seconds, 0xFFFFFFFF unknown
};

// What the power rows become from the tick's two reads. Empty optionals leave the row as it is.
struct PowerRows {
    std::wstring status;                // "Power Status:"
    std::optional<std::wstring> source; // "Power Source:"
    std::wstring life;                  // "Power Life:"
    std::optional<double> level;        // the "Power Level:" bar and its text
    std::wstring levelText;
    std::optional<bool> levelAlert;
};
PowerRows PowerCheck(const PowerRead& first, const PowerRead& second);

// The window's place: the right edge of the screen, 500 twips above its bottom, then moved
// only as far as needed to lie inside the work area (the taskbar is taller today).
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct WindowPlace {
    int left = 0, top = 0;
};
WindowPlace StatusWindowPlace(const ScreenRect& screen, const ScreenRect& workArea, int width,
                              int height, unsigned dpi);

} // namespace tessaly
