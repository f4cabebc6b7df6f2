#include "sysinfo/about_box.h"

#include "sysinfo/about_resource.h"
#include "sysinfo/system_info.h"
#include "sysinfo/version_text.h"
#include "win32/platform.h"

#include <commctrl.h>

namespace tessaly {

namespace {

constexpr COLORREF kPictureColour = RGB(0x2B, 0x3A, 0x55);
constexpr COLORREF kPictureAccent = RGB(0xA9, 0xB8, 0xD0);

// A link's markup for a text taken as it is: "<" would start a tag.
std::wstring LinkMarkup(const std::wstring& text) {
    std::wstring shown;
    for (const wchar_t c : text)
        shown += c == L'<'   ? std::wstring(L"&lt;")
                 : c == L'&' ? std::wstring(L"&amp;")
                             : std::wstring(1, c);
    return L"<a>" + shown + L"</a>";
}

} // namespace

bool AboutBox::Show(HWND owner) {
    // Another dialog holding the owner comes first; it is brought forward instead.
    return ShowHoldingOwner(owner, IDD_FORM4);
}

void AboutBox::OnInit() {
    // Centred on the screen the owner is on.
    RECT box{};
    ::GetWindowRect(hwnd(), &box);
    MONITORINFO monitor{sizeof monitor};
    ::GetMonitorInfoW(::MonitorFromWindow(::GetWindow(hwnd(), GW_OWNER), MONITOR_DEFAULTTOPRIMARY),
                      &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int width = box.right - box.left, height = box.bottom - box.top;
    ::SetWindowPos(hwnd(), nullptr, screen.left + (screen.right - screen.left - width) / 2,
                   screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    const FileVersionNumbers version = OwnFileVersion();
    ::SetDlgItemTextW(hwnd(), IDC_FORM4_LABEL4,
                      AboutVersionText(version.major, version.minor).c_str());
    ::SetDlgItemTextW(hwnd(), IDC_FORM4_LABEL8, LinkMarkup(links_.supportAddress).c_str());
    ::SetDlgItemTextW(hwnd(), IDC_FORM4_LABEL9, LinkMarkup(links_.homePage).c_str());

    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    font.lfHeight = font.lfHeight * 2;
    font.lfWeight = FW_SEMIBOLD;
    titleFont_.reset(::CreateFontIndirectW(&font));
    ::SetFocus(::GetDlgItem(hwnd(), IDC_FORM4_COMMAND1));
}

void AboutBox::DrawPicture(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    UniqueBrush background(::CreateSolidBrush(kPictureColour));
    ::FillRect(dc, &area, background.get());
    RECT stripe = area;
    stripe.top = stripe.bottom - Scale(hwnd(), 4);
    UniqueBrush accent(::CreateSolidBrush(kPictureAccent));
    ::FillRect(dc, &stripe, accent.get());
    const int iconSize = Scale(hwnd(), 48);
    const int margin = Scale(hwnd(), 16);
    const int top = area.top + (area.bottom - area.top - iconSize) / 2;
    UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                    MAKEINTRESOURCEW(links_.iconId), IMAGE_ICON,
                                                    iconSize, iconSize, 0)));
    if (icon)
        ::DrawIconEx(dc, area.left + margin, top, icon.get(), iconSize, iconSize, 0, nullptr,
                     DI_NORMAL);
    RECT text = area;
    text.left += margin * 2 + iconSize;
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = ::SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    HGDIOBJ oldFont = ::SelectObject(dc, titleFont_.get());
    ::DrawTextW(dc, L"Tessaly", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::SetTextColor(dc, colour);
    ::SetBkMode(dc, mode);
}

void AboutBox::Close() {
    // The owner is enabled before the box goes, so activation returns to it.
    GiveOwnerBack();
    if (hwnd())
        End(IDCANCEL);
}

void AboutBox::OnCommand(int id, int, HWND) {
    if (id == IDC_FORM4_COMMAND1 || id == IDCANCEL)
        Close();
}

INT_PTR AboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return FALSE; // OnInit gave "Close" the focus
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID != IDC_IMAGE9)
            return FALSE;
        DrawPicture(item);
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if ((header.code == NM_CLICK || header.code == NM_RETURN) && links_.open) {
            if (header.idFrom == IDC_FORM4_LABEL8)
                links_.open(hwnd(), L"mailto:" + links_.supportAddress);
            else if (header.idFrom == IDC_FORM4_LABEL9)
                links_.open(hwnd(), links_.homePage);
        }
        return TRUE;
    }
    case WM_CLOSE:
        Close();
        return TRUE;
    default:
        return Dialog::OnMessage(message, wParam, lParam);
    }
}

} // namespace tessaly
