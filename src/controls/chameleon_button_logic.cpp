#include "controls/chameleon_button_logic.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr int kSpace = 0x20, kReturn = 0x0D, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;

int Channel(Colour colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// A hover face that can be told from the resting one: lighter, or darker on a pale face.
Colour HoverShade(Colour face) {
    const int brightness = (Channel(face, 0) * 3 + Channel(face, 8) * 6 + Channel(face, 16)) / 10;
    return ShiftColour(face, brightness > 200 ? -20 : 24);
}

} // namespace

ButtonProperties ReadButtonProperties(const PropertyBag& bag) {
    const ButtonProperties d;
    ButtonProperties p;
    p.ButtonType = bag.Read(L"BTYPE", d.ButtonType);
    p.Caption = bag.Read(L"TX", d.Caption);
    p.Enabled = bag.Read(L"ENAB", d.Enabled);
    p.Font = bag.Read(L"FONT", d.Font);
    p.ColorScheme = bag.Read(L"COLTYPE", d.ColorScheme);
    p.ShowFocusRect = bag.Read(L"FOCUSR", d.ShowFocusRect);
    p.BackColor = bag.ReadColour(L"BCOL", d.BackColor);
    p.BackOver = bag.ReadColour(L"BCOLO", p.BackColor);
    p.ForeColor = bag.ReadColour(L"FCOL", d.ForeColor);
    p.ForeOver = bag.ReadColour(L"FCOLO", p.ForeColor);
    p.MaskColor = bag.ReadColour(L"MCOL", d.MaskColor);
    p.MousePointer = static_cast<int16_t>(bag.Read(L"MPTR", int32_t{d.MousePointer}));
    p.MouseIcon = bag.Read(L"MICON", d.MouseIcon);
    p.PictureNormal = bag.Read(L"PICN", d.PictureNormal);
    p.PictureOver = bag.Read(L"PICH", d.PictureOver);
    p.UseMaskColor = bag.Read(L"UMCOL", d.UseMaskColor);
    p.SoftBevel = bag.Read(L"SOFT", d.SoftBevel);
    p.PicturePosition = bag.Read(L"PICPOS", d.PicturePosition);
    p.UseGreyscale = bag.Read(L"NGREY", d.UseGreyscale);
    p.SpecialEffect = bag.Read(L"FX", d.SpecialEffect);
    p.HandPointer = bag.Read(L"HAND", d.HandPointer);
    p.CheckBoxBehaviour = bag.Read(L"CHECK", d.CheckBoxBehaviour);
    p.Value = bag.Read(L"VALUE", d.Value);
    return p;
}

PropertyBag WriteButtonProperties(const ButtonProperties& p) {
    const ButtonProperties d;
    PropertyBag bag;
    bag.Write(L"BTYPE", p.ButtonType, d.ButtonType);
    bag.Write(L"TX", p.Caption, d.Caption);
    bag.Write(L"ENAB", p.Enabled, d.Enabled);
    bag.Write(L"FONT", p.Font, d.Font);
    bag.Write(L"COLTYPE", p.ColorScheme, d.ColorScheme);
    bag.Write(L"FOCUSR", p.ShowFocusRect, d.ShowFocusRect);
    bag.WriteColour(L"BCOL", p.BackColor, d.BackColor);
    bag.WriteColour(L"BCOLO", p.BackOver, p.BackColor);
    bag.WriteColour(L"FCOL", p.ForeColor, d.ForeColor);
    bag.WriteColour(L"FCOLO", p.ForeOver, p.ForeColor);
    bag.WriteColour(L"MCOL", p.MaskColor, d.MaskColor);
    bag.Write(L"MPTR", int32_t{p.MousePointer}, int32_t{d.MousePointer});
    bag.Write(L"MICON", p.MouseIcon, d.MouseIcon);
    bag.Write(L"PICN", p.PictureNormal, d.PictureNormal);
    bag.Write(L"PICH", p.PictureOver, d.PictureOver);
    bag.Write(L"UMCOL", p.UseMaskColor, d.UseMaskColor);
    bag.Write(L"SOFT", p.SoftBevel, d.SoftBevel);
    bag.Write(L"PICPOS", p.PicturePosition, d.PicturePosition);
    bag.Write(L"NGREY", p.UseGreyscale, d.UseGreyscale);
    bag.Write(L"FX", p.SpecialEffect, d.SpecialEffect);
    bag.Write(L"HAND", p.HandPointer, d.HandPointer);
    bag.Write(L"CHECK", p.CheckBoxBehaviour, d.CheckBoxBehaviour);
    bag.Write(L"VALUE", p.Value, d.Value);
    return bag;
}

Colour ShiftColour(Colour colour, int d) {
    const auto part = [&](int shift) {
        return static_cast<Colour>(std::clamp(Channel(colour, shift) + d, 0, 255)) << shift;
    };
    return part(0) | part(8) | part(16);
}

SchemeColours SystemScheme(const std::function<Colour(int)>& system) {
    const auto sys = [&](int index) { return ResolveColour(SystemColour(index), system); };
    SchemeColours c;
    c.face = sys(15);
    c.shadow = sys(16);
    c.light = sys(22);
    c.darkShadow = sys(21);
    c.highlight = sys(20);
    c.text = c.textOver = sys(18);
    c.selection = sys(13);
    c.selectionLight = ShiftColour(c.selection, 96);
    c.shade = c.shadow;
    c.faceOver = HoverShade(c.face);
    return c;
}

SchemeColours ComputeScheme(const ButtonProperties& p, const SchemeColours& previous,
                            const std::function<Colour(int)>& system) {
    switch (p.ColorScheme) {
    case 2: {
        // Integer halving rounds toward zero: 31 becomes 15, -64 becomes -32.
        const auto shift = [&](Colour c, int d) { return ShiftColour(c, p.SoftBevel ? d / 2 : d); };
        SchemeColours c = SystemScheme(system);
        c.face = ResolveColour(p.BackColor, system);
        const Colour over = ResolveColour(p.BackOver, system);
        c.faceOver = over != c.face ? over : HoverShade(c.face);
        c.text = ResolveColour(p.ForeColor, system);
        c.textOver = ResolveColour(p.ForeOver, system);
        c.shadow = shift(c.face, -64);
        c.light = shift(c.face, 31);
        c.highlight = shift(c.face, 47);
        c.darkShadow = shift(c.face, -192);
        c.shade = shift(c.face, -128);
        return c;
    }
    case 3: {
        SchemeColours c;
        c.face = 0xC0C0C0;
        c.shadow = 0x808080;
        c.light = 0xDFDFDF;
        c.highlight = 0xFFFFFF;
        c.darkShadow = c.text = c.textOver = 0;
        c.selection = 0x800000;
        c.selectionLight = 0xD1ADAD;
        c.shade = c.shadow;
        c.faceOver = HoverShade(c.face);
        return c;
    }
    case 4:
        return previous;
    default:
        return SystemScheme(system);
    }
}

StyleRecipe RecipeFor(int32_t type) {
    switch (type) {
    case 1:
        return {Face::Solid, Frame::Black, 0};
    case 3:
        return {Face::VerticalGradient, Frame::Rounded, 3};
    case 4:
        return {Face::VerticalGradient, Frame::Rounded, 8};
    case 5:
        return {Face::Solid, Frame::Shadowed, 0};
    case 6:
        return {Face::Solid, Frame::ThickBevel, 0};
    case 7:
        return {Face::Solid, Frame::HoverOnly, 0};
    case 8:
        return {Face::Solid, Frame::Flat, 0};
    case 9:
        return {Face::Solid, Frame::Selection, 0};
    case 10:
        return {Face::None, Frame::Underline, 0};
    case 11:
        return {Face::Solid, Frame::DoubleFlat, 0};
    case 12:
        return {Face::VerticalGradient, Frame::Oval, 0};
    case 13:
        return {Face::HorizontalGradient, Frame::ThinBevel, 0};
    case 14:
        return {Face::Solid, Frame::TopBar, 0};
    default:
        return {Face::Solid, Frame::Bevel, 0};
    }
}

ContentBoxes LayoutContent(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight,
                           int textWidth, int textHeight, int32_t position, int gap) {
    ContentBoxes out;
    const auto centre = [](int outer, int inner) { return (outer - inner) / 2; };
    if (pictureWidth <= 0 || pictureHeight <= 0 || textWidth <= 0 || position < 0 || position > 3) {
        out.pictureX = centre(boxWidth, pictureWidth);
        out.pictureY = centre(boxHeight, pictureHeight);
        out.textX = centre(boxWidth, textWidth);
        out.textY = centre(boxHeight, textHeight);
        return out;
    }
    if (position <= 1) { // side by side
        const int left = centre(boxWidth, pictureWidth + gap + textWidth);
        const bool pictureFirst = position == 0;
        out.pictureX = pictureFirst ? left : left + textWidth + gap;
        out.textX = pictureFirst ? left + pictureWidth + gap : left;
        out.pictureY = centre(boxHeight, pictureHeight);
        out.textY = centre(boxHeight, textHeight);
    } else { // stacked
        const int top = centre(boxHeight, pictureHeight + gap + textHeight);
        const bool pictureFirst = position == 2;
        out.pictureY = pictureFirst ? top : top + textHeight + gap;
        out.textY = pictureFirst ? top + pictureHeight + gap : top;
        out.pictureX = centre(boxWidth, pictureWidth);
        out.textX = centre(boxWidth, textWidth);
    }
    return out;
}

std::vector<ButtonEvent> ButtonInput::Clicked(bool checkBox, bool& value) {
    if (checkBox)
        value = !value;
    return {ButtonEvent::Click};
}

std::vector<ButtonEvent> ButtonInput::MouseDown(int button, bool enabled) {
    // A disabled button reacts to nothing.
    if (!enabled)
        return {};
    lastButton_ = button;
    if (button == 1) {
        mouseDown_ = true;
        pointerInside_ = true;
    }
    return {ButtonEvent::MouseDown};
}

std::vector<ButtonEvent> ButtonInput::DoubleClick(bool enabled) {
    // The second click of a double-click presses again, so it clicks again.
    if (lastButton_ != 1)
        return {};
    return MouseDown(1, enabled);
}

std::vector<ButtonEvent> ButtonInput::MouseMove(int held, bool inside, bool enabled) {
    if (!enabled)
        return {};
    std::vector<ButtonEvent> events{ButtonEvent::MouseMove};
    if (mouseDown_)
        pointerInside_ = inside;
    if (inside && !hover_ && held == 0) {
        hover_ = true;
        events.push_back(ButtonEvent::MouseOver);
    } else if (!inside && hover_ && !mouseDown_) {
        hover_ = false;
        events.push_back(ButtonEvent::MouseOut);
    }
    return events;
}

std::vector<ButtonEvent> ButtonInput::MouseUp(int button, bool inside, bool enabled, bool checkBox,
                                              bool& value) {
    const bool wasDown = mouseDown_;
    if (button == 1)
        mouseDown_ = false;
    if (!enabled)
        return {};
    std::vector<ButtonEvent> events{ButtonEvent::MouseUp};
    // A press counts where it is let go of on the button.
    if (button == 1 && wasDown && inside && lastButton_ == 1)
        for (ButtonEvent e : Clicked(checkBox, value))
            events.push_back(e);
    if (!inside && hover_) {
        hover_ = false;
        events.push_back(ButtonEvent::MouseOut);
    }
    return events;
}

std::vector<ButtonEvent> ButtonInput::MouseLeft() {
    if (!hover_ || mouseDown_)
        return {};
    hover_ = false;
    return {ButtonEvent::MouseOut};
}

std::vector<ButtonEvent> ButtonInput::KeyDown(int key, bool enabled, bool checkBox, bool& value,
                                              FocusMove& move) {
    move = FocusMove::None;
    if (!enabled)
        return {};
    std::vector<ButtonEvent> events{ButtonEvent::KeyDown};
    lastKey_ = key;
    switch (key) {
    case kSpace:
        keyDown_ = true;
        break;
    case kReturn:
        for (ButtonEvent e : Clicked(checkBox, value))
            events.push_back(e);
        break;
    case kLeft:
    case kUp:
        move = FocusMove::Previous;
        break;
    case kRight:
    case kDown:
        move = FocusMove::Next;
        break;
    default:
        break;
    }
    return events;
}

std::vector<ButtonEvent> ButtonInput::KeyUp(int key, bool enabled, bool checkBox, bool& value) {
    const bool spaceHeld = keyDown_ && lastKey_ == kSpace;
    if (key == kSpace)
        keyDown_ = false;
    if (!enabled)
        return {};
    std::vector<ButtonEvent> events{ButtonEvent::KeyUp};
    if (key == kSpace && spaceHeld)
        for (ButtonEvent e : Clicked(checkBox, value))
            events.push_back(e);
    return events;
}

std::vector<ButtonEvent> ButtonInput::KeyPress(bool enabled) {
    if (!enabled)
        return {};
    return {ButtonEvent::KeyPress};
}

void ButtonInput::Cancel() {
    mouseDown_ = false;
    keyDown_ = false;
}

ButtonLook ButtonInput::Look(bool enabled, bool checkBox, bool value) const {
    if (!enabled)
        return ButtonLook::Disabled;
    if ((mouseDown_ && pointerInside_) || keyDown_)
        return ButtonLook::Pressed;
    if (checkBox && value)
        return ButtonLook::Checked;
    if (hover_ && !(mouseDown_ && !pointerInside_))
        return ButtonLook::Hover;
    return ButtonLook::Normal;
}

} // namespace tessaly
