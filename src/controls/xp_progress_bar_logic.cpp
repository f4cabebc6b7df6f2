#include "controls/xp_progress_bar_logic.h"

#include <algorithm>

namespace tessaly {

const wchar_t* RefusalText(ProgressRefusal refusal) {
    switch (refusal) {
    case ProgressRefusal::ValueAboveMax:
        return L"Value can NOT be higher than Maximum !";
    case ProgressRefusal::ValueBelowMin:
        return L"Value can NOT be smaller than minimum !";
    case ProgressRefusal::MinAboveMax:
        return L"Minimum can NOT be biger than maximum !";
    case ProgressRefusal::MinBelowZero:
        return L"Minimum can NOT be smaller then 0 !";
    case ProgressRefusal::MaxBelowMin:
        return L"Maximum can NOT be smaller than minimum !";
    case ProgressRefusal::None:
        break;
    }
    return L"";
}

ProgressRefusal CheckValue(const ProgressProperties& p, int32_t value) {
    if (value > p.Max)
        return ProgressRefusal::ValueAboveMax;
    if (value < p.Min)
        return ProgressRefusal::ValueBelowMin;
    return ProgressRefusal::None;
}

ProgressRefusal CheckMin(const ProgressProperties& p, int32_t min) {
    if (min > p.Max)
        return ProgressRefusal::MinAboveMax;
    if (min < 0)
        return ProgressRefusal::MinBelowZero;
    return ProgressRefusal::None;
}

ProgressRefusal CheckMax(const ProgressProperties& p, int32_t max) {
    return max < p.Min ? ProgressRefusal::MaxBelowMin : ProgressRefusal::None;
}

int FilledLength(const ProgressProperties& p, int length) {
    if (length <= 0)
        return 0;
    const int64_t min = p.Min, max = std::max<int64_t>(p.Max, p.Min);
    const int64_t value = std::clamp<int64_t>(p.Value, min, max);
    if (max == min)
        return value >= max ? length : 0;
    return static_cast<int>((value - min) * length / (max - min));
}

int FilledPercent(const ProgressProperties& p) {
    return FilledLength(p, 100);
}

ProgressProperties ReadProgressProperties(const PropertyBag& bag) {
    const ProgressProperties d;
    ProgressProperties p;
    p.Min = std::max<int32_t>(0, bag.Read(L"Min", d.Min));
    p.Max = std::max(p.Min, bag.Read(L"Max", d.Max));
    p.Value = std::clamp(bag.Read(L"Value", d.Value), p.Min, p.Max);
    p.Style = bag.Read(L"Style", d.Style);
    const int32_t look = bag.Read(L"ProgressLook", d.ProgressLook);
    p.ProgressLook = SkinFor(look) ? look : d.ProgressLook;
    return p;
}

PropertyBag WriteProgressProperties(const ProgressProperties& p) {
    const ProgressProperties d;
    PropertyBag bag;
    bag.Write(L"Min", p.Min, d.Min);
    bag.Write(L"Max", p.Max, d.Max);
    bag.Write(L"Value", p.Value, d.Value);
    bag.Write(L"Style", p.Style, d.Style);
    bag.Write(L"ProgressLook", p.ProgressLook, d.ProgressLook);
    return bag;
}

std::optional<ProgressSkin> SkinFor(int32_t look) {
    // Colours are 0x00BBGGRR.
    static constexpr ProgressSkin kSkins[kProgressSkinCount] = {
        {L"master", 0xF4F4F4, 0xD8D8D8, 0x9CF0A8, 0x2CC43C, 0x12901E, 0x7A7A7A},
        {L"blue", 0xF6F0EC, 0xDCD2CA, 0xFFD9A8, 0xE89A3C, 0xB0640E, 0x8C6E58},
        {L"bluemet", 0xEDE8E4, 0xCFC6BE, 0xF2DCC8, 0xB48A64, 0x7A4E2C, 0x6A5646},
        {L"goldmet", 0xE8F0F2, 0xC8D4D8, 0xA8E8F8, 0x30B8DC, 0x087A9C, 0x4E6A72},
        {L"grmet", 0xE8EFE8, 0xC8D4C8, 0xBCE6C0, 0x60A868, 0x2E6A34, 0x4E664E},
        {L"greymet", 0xF0F0F0, 0xD0D0D0, 0xE4E4E4, 0xA0A0A0, 0x646464, 0x585858},
        {L"orangemet", 0xECF0F4, 0xCAD2DA, 0xA0D4FF, 0x2C8CF0, 0x0858B4, 0x4E6478},
        {L"redmet", 0xECECF4, 0xCACADA, 0xA8A8F8, 0x3C3CDC, 0x10109A, 0x505070},
    };
    if (look < 0 || look >= kProgressSkinCount)
        return std::nullopt;
    return kSkins[look];
}

} // namespace tessaly
