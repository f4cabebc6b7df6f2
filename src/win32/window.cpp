#include "win32/window.h"

namespace tessaly {

Window::~Window() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

bool Window::RegisterClassOnce(const wchar_t* className, HICON icon, HBRUSH background,
                               UINT style) {
    WNDCLASSEXW existing{sizeof existing};
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &existing))
        return true;
    WNDCLASSEXW wc{sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

HWND Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent, HMENU menu) {
    return ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                             ::GetModuleHandleW(nullptr), this);
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        result = ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

Dialog::~Dialog() {
    if (hwnd_ && !modal_) {
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        ::DestroyWindow(hwnd_);
    }
}

namespace {
constexpr const wchar_t* kOwnerDialogProperty = L"Tessaly.OwnerDialog";

HWND TopLevel(HWND window) {
    HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return root ? root : window;
}
} // namespace

bool BringOwnerDialogToFront(HWND owner) {
    const HWND top = TopLevel(owner);
    if (!top)
        return false;
    const auto open = static_cast<HWND>(::GetPropW(top, kOwnerDialogProperty));
    if (!open || !::IsWindow(open))
        return false;
    ::ShowWindow(open, SW_SHOW);
    ::SetForegroundWindow(open);
    ::SetActiveWindow(open);
    return true;
}

INT_PTR Dialog::RunModal(HWND owner, int templateId) {
    if (BringOwnerDialogToFront(owner))
        return 0;
    modal_ = true;
    holdsOwner_ = true;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                             &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HWND owner, int templateId, bool holdsOwner) {
    if (holdsOwner && BringOwnerDialogToFront(owner))
        return nullptr;
    modal_ = false;
    holdsOwner_ = holdsOwner;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                                &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::ReleaseOwner() {
    if (heldOwner_ && ::GetPropW(heldOwner_, kOwnerDialogProperty) == hwnd_)
        ::RemovePropW(heldOwner_, kOwnerDialogProperty);
    heldOwner_ = nullptr;
}

bool Dialog::ShowHoldingOwner(HWND owner, int templateId) {
    if (!CreateModeless(owner, templateId, true))
        return false;
    if (owner) {
        ::EnableWindow(owner, FALSE);
        disabledOwner_ = owner;
    }
    ::ShowWindow(hwnd_, SW_SHOW);
    return true;
}

void Dialog::GiveOwnerBack() {
    if (disabledOwner_ && ::IsWindow(disabledOwner_))
        ::EnableWindow(disabledOwner_, TRUE);
    disabledOwner_ = nullptr;
}

void Dialog::End(INT_PTR result) {
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void Dialog::OnCommand(int id, int, HWND) {
    if (id == IDCANCEL || id == IDOK)
        End(id);
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->heldOwner_ = nullptr;
        if (self->holdsOwner_) {
            if (const HWND owner = TopLevel(::GetWindow(hwnd, GW_OWNER))) {
                ::SetPropW(owner, kOwnerDialogProperty, hwnd);
                self->heldOwner_ = owner;
            }
        }
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_DESTROY) {
        self->ReleaseOwner();
        self->GiveOwnerBack(); // however the dialog goes, the owner is usable again
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

bool TakeDialogItemPlace(HWND dialog, int id, HWND control) {
    const HWND item = ::GetDlgItem(dialog, id);
    RECT box{};
    if (!item || !control || !::GetWindowRect(item, &box))
        return false;
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    const bool visible = (::GetWindowLongPtrW(item, GWL_STYLE) & WS_VISIBLE) != 0;
    // Tab order is z-order: right behind the item, which then goes.
    ::SetWindowPos(control, item, box.left, box.top, box.right - box.left, box.bottom - box.top,
                   SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    ::DestroyWindow(item);
    ::SetWindowLongPtrW(control, GWLP_ID, id);
    return true;
}

} // namespace tessaly
