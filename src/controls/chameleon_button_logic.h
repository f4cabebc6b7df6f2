// What the drawn push button is, apart from drawing: its properties with their saved keys and
// defaults, the colours of its schemes, the look of each style, and what mouse and keys do
// to it. Pure.
#pragma once

#include "controls/property_bag.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr const wchar_t* kChameleonVersion = L"2.0.6";

struct ButtonProperties {
    int32_t ButtonType = 2;
    std::wstring Caption;
    bool Enabled = true;
    FontSpec Font;
    int32_t ColorScheme = 1;
    bool ShowFocusRect = true;
    Colour BackColor = SystemColour(15); // the scheme's face
    Colour BackOver = SystemColour(15);  // BackColor unless saved
    Colour ForeColor = SystemColour(18);
    Colour ForeOver = SystemColour(18);
    Colour MaskColor = 0xC0C0C0;
    int16_t MousePointer = 0;
    std::wstring MouseIcon, PictureNormal, PictureOver; // resource names; empty: none
    bool UseMaskColor = true;
    bool SoftBevel = false;
    int32_t PicturePosition = 0;
    bool UseGreyscale = false;
    int32_t SpecialEffect = 0;
    bool HandPointer = false;
    bool CheckBoxBehaviour = false;
    bool Value = false;
};

// Missing or wrong-typed keys take their defaults; BackOver and ForeOver default to the
// BackColor and ForeColor read.
ButtonProperties ReadButtonProperties(const PropertyBag& bag);
PropertyBag WriteButtonProperties(const ButtonProperties& properties);

// The colours a style draws with.
struct SchemeColours {
    Colour face = 0, faceOver = 0, shadow = 0, light = 0, highlight = 0, darkShadow = 0, shade = 0,
           text = 0, textOver = 0, selection = 0, selectionLight = 0;
};

// `colour` with d added to each of red, green and blue, each kept to 0-255.
Colour ShiftColour(Colour colour, int d);

// Scheme 1 (and any number but 2, 3, 4) follows the system's colours; 2 derives them from the
// button's colours; 3 is fixed; 4 keeps `previous`. With `SoftBevel` the shifts are halved
// (toward zero). System colour references are resolved through `system`.
SchemeColours ComputeScheme(const ButtonProperties& properties, const SchemeColours& previous,
                            const std::function<Colour(int)>& system);
// High contrast: the system's colours whatever the scheme.
SchemeColours SystemScheme(const std::function<Colour(int)>& system);

enum class ButtonLook { Normal, Hover, Pressed, Checked, Disabled };

// How a style draws: a face, a frame and their reactions. Every style number maps to one;
// unknown numbers draw as style 2.
enum class Face { Solid, VerticalGradient, HorizontalGradient, None };
enum class Frame {
    Bevel,      // light and highlight top-left, shadow and dark shadow bottom-right
    ThinBevel,  // one pixel each side
    Black,      // a dark outline around a thin bevel
    Rounded,    // a rounded outline
    Flat,       // a flat outline in the shadow colour
    HoverOnly,  // nothing until hovered, then a thin bevel
    Selection,  // nothing until hovered, then the selection colours
    Oval,       // a full-radius rounded outline
    ThickBevel, // two-pixel bevel
    Underline,  // no frame; a line under the caption while hovered
    Shadowed,   // outline with a dropped shadow
    DoubleFlat, // two flat outlines
    TopBar,     // an accent bar along the top edge
};
struct StyleRecipe {
    Face face = Face::Solid;
    Frame frame = Frame::Bevel;
    int radius96 = 0; // corner radius at 96 DPI
};
StyleRecipe RecipeFor(int32_t buttonType);
inline constexpr int kButtonStyleCount = 14;

// Where the picture and caption go inside the content box (PicturePosition 0 left of the
// caption, 1 right, 2 above, 3 below, anything else behind it, centred). Sizes in pixels.
struct ContentBoxes {
    int pictureX = 0, pictureY = 0, textX = 0, textY = 0;
};
ContentBoxes LayoutContent(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight,
                           int textWidth, int textHeight, int32_t position, int gap);

// The mouse and keyboard behaviour of one button. Feed it the input; it answers with the
// events to raise, in order, and keeps the look to draw.
enum class ButtonEvent {
    Click,
    MouseDown,
    MouseMove,
    MouseUp,
    KeyPress,
    KeyDown,
    KeyUp,
    MouseOver,
    MouseOut,
};
enum class FocusMove { None, Previous, Next };

class ButtonInput {
public:
    // Mouse buttons as events number them: 1 left, 2 right, 4 middle.
    std::vector<ButtonEvent> MouseDown(int button, bool enabled);
    std::vector<ButtonEvent> DoubleClick(bool enabled);
    // `held`: the buttons held (1 left, 2 right, 4 middle); `inside`: the pointer is over the
    // button.
    std::vector<ButtonEvent> MouseMove(int held, bool inside, bool enabled);
    // `inside` decides whether a left-button release is a click.
    std::vector<ButtonEvent> MouseUp(int button, bool inside, bool enabled, bool checkBox,
                                     bool& value);
    // The pointer has left (leave tracking or the hover check).
    std::vector<ButtonEvent> MouseLeft();
    // Virtual-key codes. Enter and Space click, the arrows ask to move the focus.
    std::vector<ButtonEvent> KeyDown(int key, bool enabled, bool checkBox, bool& value,
                                     FocusMove& move);
    std::vector<ButtonEvent> KeyUp(int key, bool enabled, bool checkBox, bool& value);
    std::vector<ButtonEvent> KeyPress(bool enabled);
    // The focus or the mouse capture went elsewhere: nothing stays pressed.
    void Cancel();

    ButtonLook Look(bool enabled, bool checkBox, bool value) const;
    bool Hover() const { return hover_; }
    bool Pressed() const { return mouseDown_ || keyDown_; }
    bool Capturing() const { return mouseDown_; }
    int LastButton() const { return lastButton_; }

private:
    std::vector<ButtonEvent> Clicked(bool checkBox, bool& value);
    int lastButton_ = 0;
    int lastKey_ = 0;
    bool hover_ = false;
    bool mouseDown_ = false;    // left button went down on the button and is held
    bool pointerInside_ = true; // while held: where the pointer is
    bool keyDown_ = false;      // Space held
};

} // namespace tessaly
