// The drawn push button of varnok's main window: a style and colour scheme of its own, a hover
// look, an optional check-button behaviour, and the usual mouse and key events plus MouseOver
// and MouseOut. Its design is a property bag; every setter tells the holder which saved key
// changed and redraws.
//
// The drawing is a free function so a window that draws many buttons (the navigation column)
// draws them exactly as the button window does.
#pragma once

#include "controls/chameleon_button_logic.h"
#include "controls/drawn_control.h"
#include "win32/handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tessaly {

struct ButtonPaintState {
    ButtonLook look = ButtonLook::Normal;
    bool focusCue = false; // the focus rectangle, when the button has the focus and cues show
    HFONT font = nullptr;
    UINT dpi = 96;
    HBITMAP picture = nullptr; // PictureNormal, or PictureOver while hovered
};
// Draws the button into `box` of `dc`, background included. Makes no lasting GDI objects.
void PaintChameleonButton(HDC dc, const RECT& box, const ButtonProperties& properties,
                          const SchemeColours& colours, const ButtonPaintState& state);

// The cursor a button shows: the hand, a MousePointer number, or its MouseIcon.
HCURSOR ButtonCursor(const ButtonProperties& properties, HCURSOR mouseIcon);

class ChameleonButton final : public DrawnControl {
public:
    // `name` is the control's name, its caption when the design has none.
    bool Create(HWND parent, int id, const PropertyBag& design, const std::wstring& name);
    PropertyBag ReadProperties() const { return WriteButtonProperties(p_); }
    const ButtonProperties& Properties() const { return p_; }
    const SchemeColours& Colours() const { return colours_; }
    ButtonLook Look() const;

    void SetButtonType(int32_t v) { Set(&ButtonProperties::ButtonType, v, L"BTYPE"); }
    void SetCaption(const std::wstring& v);
    void SetEnabled(bool v);
    void SetFont(const FontSpec& v);
    void SetColorScheme(int32_t v) { Set(&ButtonProperties::ColorScheme, v, L"COLTYPE"); }
    void SetShowFocusRect(bool v) { Set(&ButtonProperties::ShowFocusRect, v, L"FOCUSR"); }
    void SetBackColor(Colour v) { Set(&ButtonProperties::BackColor, v, L"BCOL"); }
    void SetBackOver(Colour v) { Set(&ButtonProperties::BackOver, v, L"BCOLO"); }
    void SetForeColor(Colour v) { Set(&ButtonProperties::ForeColor, v, L"FCOL"); }
    void SetForeOver(Colour v) { Set(&ButtonProperties::ForeOver, v, L"FCOLO"); }
    void SetMaskColor(Colour v) { Set(&ButtonProperties::MaskColor, v, L"MCOL"); }
    void SetMousePointer(int16_t v) { Set(&ButtonProperties::MousePointer, v, L"MPTR"); }
    void SetMouseIcon(const std::wstring& v);
    void SetPictureNormal(const std::wstring& v);
    void SetPictureOver(const std::wstring& v); // announced as "PICO"
    void SetUseMaskColor(bool v) { Set(&ButtonProperties::UseMaskColor, v, L"UMCOL"); }
    void SetSoftBevel(bool v) { Set(&ButtonProperties::SoftBevel, v, L"SOFT"); }
    void SetPicturePosition(int32_t v) { Set(&ButtonProperties::PicturePosition, v, L"PICPOS"); }
    void SetUseGreyscale(bool v) { Set(&ButtonProperties::UseGreyscale, v, L"NGREY"); }
    void SetSpecialEffect(int32_t v) { Set(&ButtonProperties::SpecialEffect, v, L"FX"); }
    void SetHandPointer(bool v) { Set(&ButtonProperties::HandPointer, v, L"HAND"); }
    void SetCheckBoxBehaviour(bool v) { Set(&ButtonProperties::CheckBoxBehaviour, v, L"CHECK"); }
    void SetValue(bool v) { Set(&ButtonProperties::Value, v, L"VALUE"); }
    // The Font shortcuts.
    void SetFontBold(bool v) {
        EditFont([v](FontSpec& f) { f.bold = v; });
    }
    void SetFontItalic(bool v) {
        EditFont([v](FontSpec& f) { f.italic = v; });
    }
    void SetFontUnderline(bool v) {
        EditFont([v](FontSpec& f) { f.underline = v; });
    }
    void SetFontSize(double points) {
        EditFont([points](FontSpec& f) { f.points = points; });
    }
    void SetFontName(const std::wstring& name) {
        EditFont([&name](FontSpec& f) { f.name = name; });
    }
    const wchar_t* Version() const { return kChameleonVersion; }

    void Refresh();
    // Stops drawing until Refresh, while several properties are set.
    void DisableRefresh() { refreshOff_ = true; }

    // Events, in the order the control raises them. X and Y are in pixels.
    std::function<void()> Click;
    std::function<void(short button, short shift, float x, float y)> MouseDown, MouseMove, MouseUp;
    std::function<void(short& keyAscii)> KeyPress;
    std::function<void(short&keyCode, short shift)> KeyDown, KeyUp;
    std::function<void()> MouseOver, MouseOut;

    // AccessibleSource
    std::wstring AccName(long) const override { return p_.Caption; }
    long AccRole(long) const override;
    long AccState(long) const override;
    std::wstring AccDefaultAction(long) const override;
    bool AccDoDefaultAction(long) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    template <class T> void Set(T ButtonProperties::*member, const T& value, const wchar_t* key) {
        p_.*member = value;
        Changed(key);
    }
    void Changed(const wchar_t* key);
    template <class Edit> void EditFont(Edit edit) {
        FontSpec font = p_.Font;
        edit(font);
        SetFont(font);
    }
    void RemakeFonts() override { MakeFont(); }
    void Paint(HDC target, bool onScreen) override;
    void Raise(const std::vector<ButtonEvent>& events, short button, short shift, POINT at,
               short key);
    void MakeFont();
    void LoadPictures();
    bool PointerInside(POINT client) const;
    void MoveFocus(FocusMove move);

    ButtonProperties p_;
    SchemeColours colours_;
    ButtonInput input_;
    UniqueFont font_;
    UniqueBitmap pictureNormal_, pictureOver_;
    UniqueIcon mouseIcon_;
    bool refreshOff_ = false;
    bool tracking_ = false;
};

} // namespace tessaly
