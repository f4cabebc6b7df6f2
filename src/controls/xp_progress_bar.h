// A progress bar drawn from skins of its own (eight colour sets, drawn as gradients so they
// stay crisp at any DPI). Every new minimum, maximum and value is checked; an invalid one is
// refused with a message box and changes nothing.
#pragma once

#include "controls/drawn_control.h"
#include "controls/xp_progress_bar_logic.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tessaly {

class XpProgressBar final : public DrawnControl {
public:
    // `vertical`: fills from the bottom up.
    bool Create(HWND parent, int id, const PropertyBag& design, bool vertical = false);
    PropertyBag ReadProperties() const { return WriteProgressProperties(p_); }
    const ProgressProperties& Properties() const { return p_; }
    const ProgressSkin& Skin() const { return skin_; }

    // Each returns false when the setting was refused.
    bool SetMin(int32_t v);
    bool SetMax(int32_t v);
    bool SetValue(int32_t v);
    void SetStyle(int32_t v);
    void SetProgressLook(int32_t v);
    // What screen readers call the bar.
    void SetAccessibleName(std::wstring name) { name_ = std::move(name); }

    // How a refusal is shown; a box titled "Error" unless replaced (tests). At most one box is
    // open at a time: a refusal while one is open is not shown again.
    std::function<void(HWND owner, const wchar_t* text)> ShowRefusal;

    // AccessibleSource
    std::wstring AccName(long) const override { return name_; }
    std::wstring AccValue(long) const override;
    long AccRole(long) const override;
    long AccState(long) const override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool Refused(ProgressRefusal refusal);
    // The part of the client area between two fill lengths, to repaint only what changed.
    RECT Strip(int from, int to) const;
    int Frame() const;
    int Length() const;
    void Paint(HDC dc, bool onScreen) override;

    ProgressProperties p_;
    ProgressSkin skin_ = *SkinFor(0);
    bool vertical_ = false;
    std::wstring name_;
};

} // namespace tessaly
