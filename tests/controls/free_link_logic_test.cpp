#include "controls/free_link_logic.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(LinkProperties, DefaultsRoundTripAndWrongTypes) {
    const LinkProperties d = ReadLinkProperties(PropertyBag{});
    EXPECT_EQ(d.Appearance, 1);
    EXPECT_EQ(d.BackColor, SystemColour(15));
    EXPECT_EQ(d.ForeColor, SystemColour(8));
    EXPECT_TRUE(d.Enabled);
    EXPECT_EQ(d.Caption, L"Label1");
    EXPECT_TRUE(d.HyperLink.empty());
    EXPECT_TRUE(d.UseMnemonic);
    EXPECT_EQ(d.ForeColorActive, 255u);
    EXPECT_EQ(d.BackColorActive, SystemColour(15));
    EXPECT_EQ(WriteLinkProperties(d).Size(), 0u);

    LinkProperties p;
    p.Appearance = 0;
    p.BackColor = 0x112233;
    p.ForeColor = 0x445566;
    p.Enabled = false;
    p.Font = {L"Segoe UI", 9, false, false, true};
    p.BorderStyle = 1;
    p.AutoSize = true;
    p.WordWrap = true;
    p.Caption = L"Read more about a&b, \u00FCber.exe";
    p.HyperLink = L"http://127.0.0.1/info.asp";
    p.MouseIcon = L"LINK";
    p.MousePointer = 99;
    p.OLEDropMode = 1;
    p.UseMnemonic = false;
    p.FontActive = {L"Segoe UI", 9, true, false, true};
    p.ForeColorActive = 0x0000C0;
    p.Alignment = 2;
    p.BackColorActive = 0x00FFFF;
    const PropertyBag bag = WriteLinkProperties(p);
    EXPECT_EQ(bag.Size(), 18u);
    EXPECT_TRUE(bag.Has(L"OLEDropMode"));
    const LinkProperties back = ReadLinkProperties(bag);
    EXPECT_EQ(WriteLinkProperties(back), bag);
    EXPECT_EQ(back.Caption, p.Caption);
    EXPECT_EQ(back.BackColorActive, 0x00FFFFu);

    const LinkProperties odd =
        ReadLinkProperties({{L"Caption", int32_t{5}}, {L"AutoSize", std::wstring(L"True")}});
    EXPECT_EQ(odd.Caption, L"Label1");
    EXPECT_FALSE(odd.AutoSize);
}

TEST(OpenUrlRequest, OpensTheTargetOrNothing) {
    LinkProperties p;
    EXPECT_FALSE(OpenUrlRequest(p, L"C:\\app"));
    p.HyperLink = L"http://127.0.0.1:8080/priv.html";
    EXPECT_EQ(OpenUrlRequest(p, L"C:\\app"),
              (ShellOpen{L"Open", L"http://127.0.0.1:8080/priv.html", L"", L"C:\\app", 1}));
}

} // namespace
} // namespace tessaly
