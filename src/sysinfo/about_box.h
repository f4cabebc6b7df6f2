// The about box (Form4): the product's picture, its version and the maker's support and home
// page links. Modeless; its owner stays disabled while it is open.
#pragma once

#include "win32/handles.h"
#include "win32/window.h"

#include <functional>
#include <string>

namespace tessaly {

class AboutBox final : public Dialog {
public:
    struct Links {
        std::wstring supportAddress; // shown; opened as "mailto:" + it
        std::wstring homePage;       // shown and opened
        std::function<void(HWND owner, const std::wstring& address)> open;
        int iconId = 0; // the product's icon resource, drawn in the picture
    };
    explicit AboutBox(Links links) : links_(std::move(links)) {}

    // Disables `owner`, then makes and shows the box centred on the screen. When the box cannot
    // be made the owner is enabled again and false returned; while another dialog holds the
    // owner, that one is brought forward and false returned.
    bool Show(HWND owner);
    bool Open() const { return hwnd() != nullptr; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void Close();
    void DrawPicture(const DRAWITEMSTRUCT& item);

    Links links_;
    UniqueFont titleFont_;
};

} // namespace tessaly
