// What the skinned progress bar is, apart from drawing: its properties, the checks a new
// minimum, maximum or value must pass, how far the bar is filled and the colours of its skins.
// Pure.
#pragma once

#include "controls/property_bag.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

struct ProgressProperties {
    int32_t Min = 0, Max = 100, Value = 0, Style = 0, ProgressLook = 0;
};

// Why a setting was refused; None when it may be stored.
enum class ProgressRefusal {
    None,
    ValueAboveMax,
    ValueBelowMin,
    MinAboveMax,
    MinBelowZero,
    MaxBelowMin,
};
// The box's text, exactly as the user is told.
const wchar_t* RefusalText(ProgressRefusal refusal);

ProgressRefusal CheckValue(const ProgressProperties& p, int32_t value);
ProgressRefusal CheckMin(const ProgressProperties& p, int32_t min);
ProgressRefusal CheckMax(const ProgressProperties& p, int32_t max);

// Pixels of `length` filled: the value's share of the range, the value kept inside it. A range
// of no width is empty below its end and full at it.
int FilledLength(const ProgressProperties& p, int length);
// The share as a whole percentage (0-100), for screen readers: "37%".
int FilledPercent(const ProgressProperties& p);

// Saved values are checked as the setters check them: a minimum below 0 becomes 0, a maximum
// below the minimum becomes the minimum, the value is kept inside the range, and an unknown
// look keeps the default skin.
ProgressProperties ReadProgressProperties(const PropertyBag& bag);
PropertyBag WriteProgressProperties(const ProgressProperties& p);

// A skin: the track, the fill's light and dark edges, and the frame.
struct ProgressSkin {
    const wchar_t* name;
    Colour track, trackEdge, fillLight, fillMid, fillDark, frame;
};
inline constexpr int kProgressSkinCount = 8;
// The skin of ProgressLook 0-7; nothing for other numbers (the skin in use stays).
std::optional<ProgressSkin> SkinFor(int32_t look);

} // namespace tessaly
