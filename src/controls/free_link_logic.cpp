#include "controls/free_link_logic.h"

namespace tessaly {

namespace {

int16_t Read16(const PropertyBag& bag, const wchar_t* key, int16_t fallback) {
    return static_cast<int16_t>(bag.Read(key, int32_t{fallback}));
}

} // namespace

LinkProperties ReadLinkProperties(const PropertyBag& bag) {
    const LinkProperties d;
    LinkProperties p;
    p.Appearance = Read16(bag, L"Appearance", d.Appearance);
    p.BackColor = bag.ReadColour(L"BackColor", d.BackColor);
    p.ForeColor = bag.ReadColour(L"ForeColor", d.ForeColor);
    p.Enabled = bag.Read(L"Enabled", d.Enabled);
    p.Font = bag.Read(L"Font", d.Font);
    p.BorderStyle = Read16(bag, L"BorderStyle", d.BorderStyle);
    p.AutoSize = bag.Read(L"AutoSize", d.AutoSize);
    p.WordWrap = bag.Read(L"WordWrap", d.WordWrap);
    p.Caption = bag.Read(L"Caption", d.Caption);
    p.HyperLink = bag.Read(L"HyperLink", d.HyperLink);
    p.MouseIcon = bag.Read(L"MouseIcon", d.MouseIcon);
    p.MousePointer = Read16(bag, L"MousePointer", d.MousePointer);
    p.OLEDropMode = Read16(bag, L"OLEDropMode", d.OLEDropMode);
    p.UseMnemonic = bag.Read(L"UseMnemonic", d.UseMnemonic);
    p.FontActive = bag.Read(L"FontActive", d.FontActive);
    p.ForeColorActive = bag.ReadColour(L"ForeColorActive", d.ForeColorActive);
    p.Alignment = Read16(bag, L"Alignment", d.Alignment);
    p.BackColorActive = bag.ReadColour(L"BackColorActive", d.BackColorActive);
    return p;
}

PropertyBag WriteLinkProperties(const LinkProperties& p) {
    const LinkProperties d;
    PropertyBag bag;
    const auto write16 = [&](const wchar_t* key, int16_t value, int16_t fallback) {
        bag.Write(key, int32_t{value}, int32_t{fallback});
    };
    write16(L"Appearance", p.Appearance, d.Appearance);
    bag.WriteColour(L"BackColor", p.BackColor, d.BackColor);
    bag.WriteColour(L"ForeColor", p.ForeColor, d.ForeColor);
    bag.Write(L"Enabled", p.Enabled, d.Enabled);
    bag.Write(L"Font", p.Font, d.Font);
    write16(L"BorderStyle", p.BorderStyle, d.BorderStyle);
    bag.Write(L"AutoSize", p.AutoSize, d.AutoSize);
    bag.Write(L"WordWrap", p.WordWrap, d.WordWrap);
    bag.Write(L"Caption", p.Caption, d.Caption);
    bag.Write(L"HyperLink", p.HyperLink, d.HyperLink);
    bag.Write(L"MouseIcon", p.MouseIcon, d.MouseIcon);
    write16(L"MousePointer", p.MousePointer, d.MousePointer);
    write16(L"OLEDropMode", p.OLEDropMode, d.OLEDropMode);
    bag.Write(L"UseMnemonic", p.UseMnemonic, d.UseMnemonic);
    bag.Write(L"FontActive", p.FontActive, d.FontActive);
    bag.WriteColour(L"ForeColorActive", p.ForeColorActive, d.ForeColorActive);
    write16(L"Alignment", p.Alignment, d.Alignment);
    bag.WriteColour(L"BackColorActive", p.BackColorActive, d.BackColorActive);
    return bag;
}

std::optional<ShellOpen> OpenUrlRequest(const LinkProperties& p, const std::wstring& folder) {
    if (p.HyperLink.empty())
        return std::nullopt;
    return ShellOpen{L"Open", p.HyperLink, L"", folder, 1};
}

} // namespace tessaly
