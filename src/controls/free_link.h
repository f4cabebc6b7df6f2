// A label that behaves as a web link: its colour and font change while the pointer is on the
// text, a click raises Click and then opens its HyperLink through the shell (when it has one).
// Unlike a plain label it is a tab stop with a focus cue, and Enter clicks it, so keyboard and
// screen-reader users reach it as they reach any link.
#pragma once

#include "controls/drawn_control.h"
#include "controls/free_link_logic.h"
#include "win32/handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tessaly {

// The design of a link to a web page, drawn as the system draws links (blue, underlined), its
// caption shown as it stands ("&" is no mnemonic, as captions carrying data need).
PropertyBag WebLinkDesign(const std::wstring& caption, bool wordWrap = false);

class FreeLink final : public DrawnControl {
public:
    // `name` is the control's name, its caption when the design has none.
    bool Create(HWND parent, int id, const PropertyBag& design, const std::wstring& name);
    PropertyBag ReadProperties() const { return WriteLinkProperties(p_); }
    const LinkProperties& Properties() const { return p_; }
    // The pointer is on the link: drawn in ForeColorActive and FontActive.
    bool Hot() const { return hot_; }
    // Where the text is drawn, in client coordinates: the part that reacts to the pointer.
    RECT LinkBox() const;

    void SetAppearance(int16_t v) { Set(&LinkProperties::Appearance, v, L"Appearance"); }
    void SetBackColor(Colour v) { Set(&LinkProperties::BackColor, v, L"BackColor"); }
    void SetForeColor(Colour v) { Set(&LinkProperties::ForeColor, v, L"ForeColor"); }
    void SetEnabled(bool v);
    void SetFont(const FontSpec& v);
    void SetBorderStyle(int16_t v) { Set(&LinkProperties::BorderStyle, v, L"BorderStyle"); }
    void SetAutoSize(bool v);
    void SetWordWrap(bool v) { Set(&LinkProperties::WordWrap, v, L"WordWrap"); }
    void SetCaption(const std::wstring& v);
    void SetHyperLink(const std::wstring& v) { Set(&LinkProperties::HyperLink, v, L"HyperLink"); }
    void SetMouseIcon(const std::wstring& v);
    void SetMousePointer(int16_t v) { Set(&LinkProperties::MousePointer, v, L"MousePointer"); }
    void SetUseMnemonic(bool v) { Set(&LinkProperties::UseMnemonic, v, L"UseMnemonic"); }
    void SetFontActive(const FontSpec& v);
    void SetForeColorActive(Colour v) {
        Set(&LinkProperties::ForeColorActive, v, L"ForeColorActive");
    }
    void SetAlignment(int16_t v) { Set(&LinkProperties::Alignment, v, L"Alignment"); }
    void SetBackColorActive(Colour v) {
        Set(&LinkProperties::BackColorActive, v, L"BackColorActive");
    }
    // The tooltip the container gives the control; empty: none.
    void SetToolTipText(const std::wstring& text);

    void OpenURL();
    // What a click does: Click, then the link is opened unless the click's handler closed the
    // window.
    void Activate();

    // Events. X and Y are in pixels.
    std::function<void()> Click, DblClick;
    std::function<void(short&button, short&shift, float&x, float&y)> MouseDown, MouseMove, MouseUp;
    // How OpenURL reaches the shell; ShellExecute unless replaced (tests, or an owner that
    // hands only some kinds of address on).
    std::function<void(HWND owner, const ShellOpen& request)> Shell;

    // AccessibleSource
    std::wstring AccName(long) const override;
    std::wstring AccValue(long) const override { return p_.HyperLink; }
    long AccRole(long) const override;
    long AccState(long) const override;
    std::wstring AccDefaultAction(long) const override;
    bool AccDoDefaultAction(long) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    template <class T> void Set(T LinkProperties::*member, const T& value, const wchar_t* key) {
        p_.*member = value;
        Announce(key);
    }
    void RemakeFonts() override;
    void MakeFonts();
    void FitToText();
    UINT TextFormat() const;
    // No wrapping and no mnemonic to read: the caption is drawn as it stands.
    bool PlainLine() const;
    HFONT ShownFont() const;
    // The part of the client area inside the border, where the text goes.
    RECT TextArea(RECT client) const;
    // The caption's size with the shown font selected in `dc`; wrapped at `wrapWidth`.
    SIZE TextSize(HDC dc, LONG wrapWidth) const;
    RECT PlaceText(const RECT& area, SIZE size) const;
    void Paint(HDC dc, bool onScreen) override;
    void SetHot(bool hot);
    bool Alive(HWND window) const;
    void RaiseMouse(const std::function<void(short&, short&, float&, float&)>& event, short button,
                    POINT at);

    LinkProperties p_;
    UniqueFont font_, fontActive_;
    UniqueIcon mouseIcon_;
    HWND tooltip_ = nullptr;
    std::wstring toolTipText_;
    bool hot_ = false;
    bool pressed_ = false;
    bool focused_ = false;
};

} // namespace tessaly
