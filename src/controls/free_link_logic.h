// What the link label is, apart from drawing: its properties with their defaults and what a
// click asks the shell to open. Pure.
#pragma once

#include "controls/property_bag.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

struct LinkProperties {
    int16_t Appearance = 1;
    Colour BackColor = SystemColour(15);
    Colour ForeColor = SystemColour(8);
    bool Enabled = true;
    FontSpec Font; // the container's
    int16_t BorderStyle = 0;
    bool AutoSize = false;
    bool WordWrap = false;
    std::wstring Caption = L"Label1";
    std::wstring HyperLink;
    std::wstring MouseIcon; // resource name; empty: none
    int16_t MousePointer = 0;
    int16_t OLEDropMode = 0;
    // Captions that carry file names are data: their owners set this off, so "&" is shown.
    bool UseMnemonic = true;
    FontSpec FontActive;
    Colour ForeColorActive = 255;              // red
    int16_t Alignment = 0;                     // 0 left, 1 right, 2 centre
    Colour BackColorActive = SystemColour(15); // kept and saved; not drawn
};

LinkProperties ReadLinkProperties(const PropertyBag& bag);
PropertyBag WriteLinkProperties(const LinkProperties& properties);

// The shell call a click makes: nothing for an empty target.
struct ShellOpen {
    std::wstring verb, file, parameters, directory;
    int show = 1;
    bool operator==(const ShellOpen&) const = default;
};
std::optional<ShellOpen> OpenUrlRequest(const LinkProperties& properties,
                                        const std::wstring& programFolder);

} // namespace tessaly
