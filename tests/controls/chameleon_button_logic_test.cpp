#include "controls/chameleon_button_logic.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaly {
namespace {

using E = ButtonEvent;
using Events = std::vector<ButtonEvent>;

// A system palette where each index has a colour of its own.
Colour FakeSystem(int index) {
    return 0x010101u * static_cast<Colour>(index) + 0x100000u;
}

TEST(ShiftColour, AddsToEachChannelAndClamps) {
    struct Case {
        Colour in;
        int d;
        Colour out;
    };
    const Case cases[] = {
        {0x102030, 31, 0x2F3F4F},   {0x102030, -64, 0x000000}, {0xF0E0D0, 47, 0xFFFFFF},
        {0x80FF00, -192, 0x003F00}, {0x0000FF, 1, 0x0101FF},   {0x405060, 0, 0x405060},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShiftColour(c.in, c.d), c.out) << std::hex << c.in << " " << std::dec << c.d;
}

TEST(ComputeScheme, EachSchemeAsTabled) {
    ButtonProperties p;
    const SchemeColours previous{.face = 0x123456, .text = 0x654321};

    p.ColorScheme = 1;
    SchemeColours c = ComputeScheme(p, previous, FakeSystem);
    EXPECT_EQ(c.face, FakeSystem(15));
    EXPECT_EQ(c.shadow, FakeSystem(16));
    EXPECT_EQ(c.light, FakeSystem(22));
    EXPECT_EQ(c.darkShadow, FakeSystem(21));
    EXPECT_EQ(c.highlight, FakeSystem(20));
    EXPECT_EQ(c.text, FakeSystem(18));
    EXPECT_EQ(c.selection, FakeSystem(13));
    // Numbers other than 2, 3, 4 are scheme 1.
    for (int other : {0, 5, -1, 99}) {
        p.ColorScheme = other;
        EXPECT_EQ(ComputeScheme(p, previous, FakeSystem).face, FakeSystem(15)) << other;
    }

    // Scheme 2 from the button's colours; BGR order is kept channel by channel.
    p.ColorScheme = 2;
    p.BackColor = 0x406080; // blue 0x40, green 0x60, red 0x80
    p.BackOver = 0x102030;
    p.ForeColor = SystemColour(8); // a system-colour reference
    p.ForeOver = 0x0000FF;
    c = ComputeScheme(p, previous, FakeSystem);
    EXPECT_EQ(c.face, 0x406080u);
    EXPECT_EQ(c.faceOver, 0x102030u);
    EXPECT_EQ(c.text, FakeSystem(8));
    EXPECT_EQ(c.textOver, 0x0000FFu);
    EXPECT_EQ(c.shadow, 0x002040u);
    EXPECT_EQ(c.light, 0x5F7F9Fu);
    EXPECT_EQ(c.highlight, 0x6F8FAFu);
    EXPECT_EQ(c.darkShadow, 0x000000u);
    EXPECT_EQ(c.shade, 0x000000u);
    // Soft bevel halves each shift toward zero: 31 -> 15, 47 -> 23, -64 -> -32.
    p.SoftBevel = true;
    c = ComputeScheme(p, previous, FakeSystem);
    EXPECT_EQ(c.light, 0x4F6F8Fu);
    EXPECT_EQ(c.highlight, 0x577797u);
    EXPECT_EQ(c.shadow, 0x204060u);
    EXPECT_EQ(c.darkShadow, 0x000020u);

    p.ColorScheme = 3;
    c = ComputeScheme(p, previous, FakeSystem);
    EXPECT_EQ(c.face, 0xC0C0C0u);
    EXPECT_EQ(c.shadow, 0x808080u);
    EXPECT_EQ(c.light, 0xDFDFDFu);
    EXPECT_EQ(c.highlight, 0xFFFFFFu);
    EXPECT_EQ(c.darkShadow, 0u);
    EXPECT_EQ(c.text, 0u);
    EXPECT_EQ(c.selection, 0x800000u);
    EXPECT_EQ(c.selectionLight, 0xD1ADADu);

    p.ColorScheme = 4;
    c = ComputeScheme(p, previous, FakeSystem);
    EXPECT_EQ(c.face, previous.face);
    EXPECT_EQ(c.text, previous.text);
}

TEST(ComputeScheme, HoverFaceDiffersEvenWhenNotGiven) {
    ButtonProperties p;
    p.ColorScheme = 2;
    for (Colour face : {0x000000u, 0xFFFFFFu, 0x553A2Bu, 0xC0C0C0u}) {
        p.BackColor = p.BackOver = face;
        EXPECT_NE(ComputeScheme(p, {}, FakeSystem).faceOver, face) << std::hex << face;
    }
}

TEST(ButtonProperties, BagsGiveDefaultsForMissingOrWrongKeys) {
    const ButtonProperties read = ReadButtonProperties(PropertyBag{});
    EXPECT_EQ(read.ButtonType, 2);
    EXPECT_EQ(read.ColorScheme, 1);
    EXPECT_TRUE(read.Enabled);
    EXPECT_TRUE(read.ShowFocusRect);
    EXPECT_TRUE(read.UseMaskColor);
    EXPECT_EQ(read.MaskColor, 0xC0C0C0u);
    EXPECT_EQ(read.BackOver, read.BackColor);

    // Wrong types fall back; BackOver follows a saved BackColor unless saved itself.
    const PropertyBag odd{{L"BTYPE", std::wstring(L"eight")},
                          {L"ENAB", int32_t{0}},
                          {L"BCOL", int32_t{0x123456}},
                          {L"FCOL", int32_t{0x0000FF}},
                          {L"FCOLO", int32_t{0x00FF00}}};
    const ButtonProperties p = ReadButtonProperties(odd);
    EXPECT_EQ(p.ButtonType, 2);
    EXPECT_TRUE(p.Enabled);
    EXPECT_EQ(p.BackOver, 0x123456u);
    EXPECT_EQ(p.ForeOver, 0x00FF00u);

    // Round trip of every key.
    ButtonProperties all;
    all.ButtonType = 9;
    all.Caption = L"Kill & \u00E9 Process";
    all.Enabled = false;
    all.Font = {L"Tahoma", 9.75, true, false, true};
    all.ColorScheme = 2;
    all.ShowFocusRect = false;
    all.BackColor = 0x102030;
    all.BackOver = 0x405060;
    all.ForeColor = 0xFFFFFF;
    all.ForeOver = 0x00FFFF;
    all.MaskColor = 0xFF00FF;
    all.MousePointer = 99;
    all.MouseIcon = L"HAND";
    all.PictureNormal = L"PIC1";
    all.PictureOver = L"PIC2";
    all.UseMaskColor = false;
    all.SoftBevel = true;
    all.PicturePosition = 3;
    all.UseGreyscale = true;
    all.SpecialEffect = 2;
    all.HandPointer = true;
    all.CheckBoxBehaviour = true;
    all.Value = true;
    const PropertyBag bag = WriteButtonProperties(all);
    EXPECT_EQ(bag.Size(), 23u);
    const ButtonProperties back = ReadButtonProperties(bag);
    EXPECT_EQ(WriteButtonProperties(back), bag);
    EXPECT_EQ(back.Caption, all.Caption);
    EXPECT_EQ(back.Font, all.Font);
    EXPECT_EQ(back.MousePointer, 99);
    // Defaults are not written.
    EXPECT_EQ(WriteButtonProperties(ButtonProperties{}).Size(), 0u);
}

TEST(RecipeFor, EveryStyleHasItsOwnLookAndOthersDrawAsTwo) {
    std::set<std::tuple<int, int, int>> seen;
    for (int type = 1; type <= kButtonStyleCount; ++type) {
        const StyleRecipe r = RecipeFor(type);
        EXPECT_TRUE(
            seen.insert({static_cast<int>(r.face), static_cast<int>(r.frame), r.radius96}).second)
            << type;
    }
    for (int type : {0, 15, -3, 1000}) {
        const StyleRecipe r = RecipeFor(type), two = RecipeFor(2);
        EXPECT_EQ(r.frame, two.frame);
        EXPECT_EQ(r.face, two.face);
    }
}

TEST(LayoutContent, PlacesPictureAndCaption) {
    // A 100x40 box, a 16x16 picture, a 40x12 caption, 4 pixels apart.
    struct Case {
        int position;
        ContentBoxes out;
    };
    const Case cases[] = {
        {0, {20, 12, 40, 14}}, {1, {64, 12, 20, 14}}, {2, {42, 4, 30, 24}},
        {3, {42, 20, 30, 4}},  {4, {42, 12, 30, 14}},
    };
    for (const Case& c : cases) {
        const ContentBoxes b = LayoutContent(100, 40, 16, 16, 40, 12, c.position, 4);
        EXPECT_EQ(b.pictureX, c.out.pictureX) << c.position;
        EXPECT_EQ(b.pictureY, c.out.pictureY) << c.position;
        EXPECT_EQ(b.textX, c.out.textX) << c.position;
        EXPECT_EQ(b.textY, c.out.textY) << c.position;
    }
    // No picture: the caption is centred whatever the position.
    const ContentBoxes bare = LayoutContent(100, 40, 0, 0, 40, 12, 0, 4);
    EXPECT_EQ(bare.textX, 30);
}

// Runs a script of inputs; returns every event raised, in order.
struct Step {
    enum Kind { Down, Dbl, Move, Up, Leave, KeyDown, KeyUp } kind;
    int code = 0;       // mouse button, held buttons or key
    bool inside = true; // for the mouse
};

Events Drive(ButtonInput& input, const std::vector<Step>& steps, bool enabled, bool checkBox,
             bool& value) {
    Events all;
    for (const Step& s : steps) {
        Events e;
        FocusMove move{};
        switch (s.kind) {
        case Step::Down:
            e = input.MouseDown(s.code, enabled);
            break;
        case Step::Dbl:
            e = input.DoubleClick(enabled);
            break;
        case Step::Move:
            e = input.MouseMove(s.code, s.inside, enabled);
            break;
        case Step::Up:
            e = input.MouseUp(s.code, s.inside, enabled, checkBox, value);
            break;
        case Step::Leave:
            e = input.MouseLeft();
            break;
        case Step::KeyDown:
            e = input.KeyDown(s.code, enabled, checkBox, value, move);
            break;
        case Step::KeyUp:
            e = input.KeyUp(s.code, enabled, checkBox, value);
            break;
        }
        all.insert(all.end(), e.begin(), e.end());
    }
    return all;
}

TEST(ButtonInput, MouseAndKeysRaiseTheEventsInOrder) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        bool enabled, checkBox;
        Events events;
        bool value; // after, starting from false
    };
    const Case cases[] = {
        {"left click",
         {{Step::Move, 0}, {Step::Down, 1}, {Step::Up, 1}},
         true,
         false,
         {E::MouseMove, E::MouseOver, E::MouseDown, E::MouseUp, E::Click},
         false},
        {"right click is no click",
         {{Step::Down, 2}, {Step::Up, 2}},
         true,
         false,
         {E::MouseDown, E::MouseUp},
         false},
        {"let go of outside",
         {{Step::Move, 0}, {Step::Down, 1}, {Step::Move, 1, false}, {Step::Up, 1, false}},
         true,
         false,
         {E::MouseMove, E::MouseOver, E::MouseDown, E::MouseMove, E::MouseUp, E::MouseOut},
         false},
        {"out and back in while held still clicks",
         {{Step::Down, 1}, {Step::Move, 1, false}, {Step::Move, 1, true}, {Step::Up, 1}},
         true,
         false,
         {E::MouseDown, E::MouseMove, E::MouseMove, E::MouseUp, E::Click},
         false},
        {"double-click is two clicks",
         {{Step::Down, 1}, {Step::Up, 1}, {Step::Dbl}, {Step::Up, 1}},
         true,
         false,
         {E::MouseDown, E::MouseUp, E::Click, E::MouseDown, E::MouseUp, E::Click},
         false},
        {"over and out once each",
         {{Step::Move, 0}, {Step::Move, 0}, {Step::Leave}, {Step::Leave}, {Step::Move, 0}},
         true,
         false,
         {E::MouseMove, E::MouseOver, E::MouseMove, E::MouseOut, E::MouseMove, E::MouseOver},
         false},
        {"space clicks on key-up",
         {{Step::KeyDown, 0x20}, {Step::KeyUp, 0x20}},
         true,
         false,
         {E::KeyDown, E::KeyUp, E::Click},
         false},
        {"space released after another key went down",
         {{Step::KeyDown, 0x20}, {Step::KeyDown, 0x41}, {Step::KeyUp, 0x20}},
         true,
         false,
         {E::KeyDown, E::KeyDown, E::KeyUp},
         false},
        {"enter clicks on key-down",
         {{Step::KeyDown, 0x0D}, {Step::KeyUp, 0x0D}},
         true,
         false,
         {E::KeyDown, E::Click, E::KeyUp},
         false},
        {"check button toggles per click",
         {{Step::Down, 1},
          {Step::Up, 1},
          {Step::KeyDown, 0x20},
          {Step::KeyUp, 0x20},
          {Step::KeyDown, 0x0D}},
         true,
         true,
         {E::MouseDown, E::MouseUp, E::Click, E::KeyDown, E::KeyUp, E::Click, E::KeyDown, E::Click},
         true},
        {"disabled reacts to nothing",
         {{Step::Move, 0},
          {Step::Down, 1},
          {Step::Up, 1},
          {Step::KeyDown, 0x20},
          {Step::KeyUp, 0x20},
          {Step::KeyDown, 0x0D}},
         false,
         true,
         {},
         false},
    };
    for (const Case& c : cases) {
        ButtonInput input;
        bool value = false;
        EXPECT_EQ(Drive(input, c.steps, c.enabled, c.checkBox, value), c.events) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
        EXPECT_FALSE(input.Pressed()) << c.what;
    }
}

TEST(ButtonInput, LooksFollowTheInput) {
    ButtonInput input;
    bool value = false;
    FocusMove move{};
    EXPECT_EQ(input.Look(true, false, false), ButtonLook::Normal);
    input.MouseMove(0, true, true);
    EXPECT_EQ(input.Look(true, false, false), ButtonLook::Hover);
    input.MouseDown(1, true);
    EXPECT_EQ(input.Look(true, false, false), ButtonLook::Pressed);
    input.MouseMove(1, false, true);
    EXPECT_EQ(input.Look(true, false, false), ButtonLook::Normal);
    input.MouseUp(1, false, true, false, value);
    input.MouseDown(2, true); // the right button draws no press
    EXPECT_EQ(input.Look(true, false, false), ButtonLook::Normal);
    EXPECT_EQ(input.Look(true, true, true), ButtonLook::Checked);
    EXPECT_EQ(input.Look(false, true, true), ButtonLook::Disabled);
    input.KeyDown(0x20, true, false, value, move);
    EXPECT_EQ(input.Look(true, true, true), ButtonLook::Pressed);
    input.Cancel(); // focus lost with Space held: no click later
    EXPECT_EQ(input.KeyUp(0x20, true, false, value), Events{E::KeyUp});

    struct Arrow {
        int key;
        FocusMove move;
    };
    for (Arrow a : {Arrow{0x25, FocusMove::Previous}, Arrow{0x26, FocusMove::Previous},
                    Arrow{0x27, FocusMove::Next}, Arrow{0x28, FocusMove::Next},
                    Arrow{0x41, FocusMove::None}}) {
        input.KeyDown(a.key, true, false, value, move);
        EXPECT_EQ(move, a.move) << a.key;
    }
}

} // namespace
} // namespace tessaly
