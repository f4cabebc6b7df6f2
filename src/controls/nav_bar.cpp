#include "controls/nav_bar.h"

#include <objbase.h>
#include <oleacc.h>
#include <uxtheme.h>
#include <vsstyle.h>
#include <windowsx.h>

#include <atomic>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyNavBar";

bool IsButton(const NavBar::Item& item) {
    return item.id != 0;
}

// The accessible object of the bar's client area. Child IDs are item indexes plus one; the bar
// itself (CHILDID_SELF) is answered by the system's standard object for the window, except for
// what only the bar knows. Asked for through WM_GETOBJECT; lives as long as a client holds it,
// and answers nothing once the bar is gone.
class Accessible final : public IAccessible {
public:
    Accessible(NavBar& bar, IAccessible* standard) : bar_(bar), hwnd_(bar.hwnd()), std_(standard) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: not offered; clients use the IAccessible methods themselves.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Alive() ? std_->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count)
            return E_POINTER;
        if (!Alive())
            return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(bar_.Items().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return ItemOf(child) >= 0 ? S_FALSE : E_INVALIDARG; // simple elements, no objects
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        if (IsSelf(child))
            return Alive() ? std_->get_accName(child, name) : CO_E_OBJNOTCONNECTED;
        const int item = ItemOf(child);
        if (item < 0)
            return E_INVALIDARG;
        *name = ::SysAllocString(bar_.Items()[item].caption.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        if (value)
            *value = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
        if (text)
            *text = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role)
            return E_POINTER;
        ::VariantInit(role);
        if (!IsSelf(child) && ItemOf(child) < 0)
            return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = IsSelf(child)                           ? ROLE_SYSTEM_TOOLBAR
                     : IsButton(bar_.Items()[ItemOf(child)]) ? ROLE_SYSTEM_PUSHBUTTON
                                                             : ROLE_SYSTEM_STATICTEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state)
            return E_POINTER;
        ::VariantInit(state);
        if (IsSelf(child))
            return Alive() ? std_->get_accState(child, state) : CO_E_OBJNOTCONNECTED;
        const int item = ItemOf(child);
        if (item < 0)
            return E_INVALIDARG;
        long flags = STATE_SYSTEM_READONLY;
        if (IsButton(bar_.Items()[item])) {
            flags = STATE_SYSTEM_FOCUSABLE;
            if (item == bar_.FocusedItem())
                flags |= STATE_SYSTEM_FOCUSED;
            if (item == bar_.HotItem())
                flags |= STATE_SYSTEM_HOTTRACKED;
            if (item == bar_.PressedItem())
                flags |= STATE_SYSTEM_PRESSED;
        }
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help)
            *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long*) override {
        if (file)
            *file = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
        if (shortcut)
            *shortcut = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus)
            return E_POINTER;
        ::VariantInit(focus);
        if (!Alive())
            return CO_E_OBJNOTCONNECTED;
        if (const int item = bar_.FocusedItem(); item >= 0) {
            focus->vt = VT_I4;
            focus->lVal = item + 1;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection)
            return E_POINTER;
        ::VariantInit(selection);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action)
            return E_POINTER;
        *action = nullptr;
        const int item = ItemOf(child);
        if (item < 0 || !IsButton(bar_.Items()[item]))
            return DISP_E_MEMBERNOTFOUND;
        *action = ::SysAllocString(L"Press");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        const int item = ItemOf(child);
        if (item < 0 || !IsButton(bar_.Items()[item]) || flags != SELFLAG_TAKEFOCUS)
            return E_INVALIDARG;
        ::SetFocus(hwnd_);
        bar_.FocusItem(item);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        if (IsSelf(child))
            return Alive() ? std_->accLocation(left, top, width, height, child)
                           : CO_E_OBJNOTCONNECTED;
        const int item = ItemOf(child);
        if (item < 0)
            return E_INVALIDARG;
        RECT box = bar_.Items()[item].box;
        ::MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&box), 2);
        *left = box.left;
        *top = box.top;
        *width = box.right - box.left;
        *height = box.bottom - box.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end)
            return E_POINTER;
        ::VariantInit(end);
        if (IsSelf(start) && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD)
            return Alive() ? std_->accNavigate(direction, start, end) : CO_E_OBJNOTCONNECTED;
        if (!Alive())
            return CO_E_OBJNOTCONNECTED;
        const long count = static_cast<long>(bar_.Items().size());
        long to = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
            to = 1;
            break;
        case NAVDIR_LASTCHILD:
            to = count;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
            to = ItemOf(start) + 2;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
            to = ItemOf(start);
            break;
        default:
            return S_FALSE;
        }
        if (ItemOf(start) < 0 && !IsSelf(start))
            return E_INVALIDARG;
        if (to < 1 || to > count)
            return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit)
            return E_POINTER;
        ::VariantInit(hit);
        if (!Alive())
            return CO_E_OBJNOTCONNECTED;
        POINT at{x, y};
        ::ScreenToClient(hwnd_, &at);
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        if (!::PtInRect(&client, at))
            return S_FALSE;
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        const auto& items = bar_.Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (::PtInRect(&items[i].box, at))
                hit->lVal = static_cast<long>(i) + 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const int item = ItemOf(child);
        if (item < 0 || !IsButton(bar_.Items()[item]))
            return DISP_E_MEMBERNOTFOUND;
        bar_.Press(item);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Accessible() { std_->Release(); }

    // The bar object lives as long as its window; a client may hold this one longer.
    bool Alive() const { return ::IsWindow(hwnd_) && bar_.hwnd() == hwnd_; }
    static bool IsSelf(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }
    // The item a child ID names, or -1.
    int ItemOf(const VARIANT& child) const {
        if (!Alive() || child.vt != VT_I4 || child.lVal < 1 ||
            child.lVal > static_cast<long>(bar_.Items().size()))
            return -1;
        return static_cast<int>(child.lVal - 1);
    }

    NavBar& bar_;
    HWND hwnd_;
    IAccessible* std_;
    std::atomic<ULONG> references_{1};
};

} // namespace

bool NavBar::Create(HWND parent, int id, Colours colours, HFONT font) {
    colours_ = colours;
    font_ = font;
    background_.reset(::CreateSolidBrush(colours.background));
    RegisterClassOnce(kClassName, nullptr, nullptr, CS_DBLCLKS);
    // The title is what accessibility clients read for the column as a whole.
    return Window::Create(kClassName, L"Navigation", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                          0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void NavBar::SetFont(HFONT font) {
    font_ = font;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void NavBar::SetItems(std::vector<Item> items) {
    items_ = std::move(items);
    hot_ = pressed_ = -1;
    if (focus_ < 0 || focus_ >= static_cast<int>(items_.size()) || !IsButton(items_[focus_])) {
        focus_ = -1;
        MoveFocus(+1, true);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

RECT NavBar::ScreenBox(int id) const {
    for (const Item& item : items_)
        if (IsButton(item) && item.id == id) {
            RECT box = item.box;
            ::MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&box), 2);
            return box;
        }
    return {};
}

int NavBar::ButtonAt(POINT at) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && ::PtInRect(&items_[i].box, at))
            return static_cast<int>(i);
    return -1;
}

void NavBar::MoveFocus(int step, bool fromEnd) {
    const int count = static_cast<int>(items_.size());
    int index = fromEnd ? (step > 0 ? -1 : count) : focus_;
    for (index += step; index >= 0 && index < count; index += step)
        if (IsButton(items_[index])) {
            FocusItem(index);
            return;
        }
}

void NavBar::FocusItem(int index) {
    Redraw(focus_);
    focus_ = index;
    Redraw(focus_);
    if (::GetFocus() == hwnd())
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, focus_ + 1);
}

void NavBar::Press(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()) || !IsButton(items_[index]))
        return;
    // The handler may show a menu or a dialog; the bar is drawn as released first.
    ::UpdateWindow(hwnd());
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(items_[index].id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd()));
}

void NavBar::Redraw(int index) {
    if (index >= 0 && index < static_cast<int>(items_.size()))
        ::InvalidateRect(hwnd(), &items_[index].box, TRUE);
}

void NavBar::SetHot(int index) {
    if (index == hot_)
        return;
    Redraw(hot_);
    hot_ = index;
    Redraw(hot_);
    if (hot_ >= 0) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        ::TrackMouseEvent(&track);
    }
}

void NavBar::Paint(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, background_.get());
    HGDIOBJ oldFont = ::SelectObject(dc, font_);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    if (!theme_ && ::IsAppThemed())
        theme_.reset(::OpenThemeData(hwnd(), L"BUTTON"));
    HTHEME theme = theme_.get();
    const int focused = FocusedItem();
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        RECT box = item.box, unused{};
        if (!::IntersectRect(&unused, &box, &area))
            continue;
        const UINT textFormat = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
        if (!IsButton(item)) {
            ::SetTextColor(dc, colours_.heading);
            ::DrawTextW(dc, item.caption.c_str(), -1, &box, textFormat | DT_LEFT);
            continue;
        }
        const int index = static_cast<int>(i);
        const bool down = index == pressed_ && index == hot_;
        const bool hasFocus = index == focused;
        if (theme) {
            const int state = down ? PBS_PRESSED : index == hot_ ? PBS_HOT : PBS_NORMAL;
            ::DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &item.box, nullptr);
            ::GetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, &item.box, &box);
            ::DrawThemeText(theme, dc, BP_PUSHBUTTON, state, item.caption.c_str(), -1,
                            textFormat | DT_CENTER, 0, &box);
        } else {
            ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            if (down)
                ::OffsetRect(&box, 1, 1);
            ::DrawTextW(dc, item.caption.c_str(), -1, &box, textFormat | DT_CENTER);
        }
        if (hasFocus && keyboardCues_) {
            const int inset = ::GetSystemMetrics(SM_CXEDGE) + 1;
            RECT focusBox = item.box;
            ::InflateRect(&focusBox, -inset, -inset);
            ::DrawFocusRect(dc, &focusBox);
        }
    }
    ::SetBkMode(dc, mode);
    ::SelectObject(dc, oldFont);
}

LRESULT NavBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (message == WM_PRINTCLIENT) {
            RECT client{};
            ::GetClientRect(hwnd(), &client);
            Paint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(hwnd(), &paint);
        Paint(dc, paint.rcPaint);
        ::EndPaint(hwnd(), &paint);
        return 0;
    }
    case WM_MOUSEMOVE:
        SetHot(ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return 0;
    case WM_MOUSELEAVE:
        SetHot(-1);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int index = ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (index < 0)
            return 0;
        Redraw(focus_);
        focus_ = pressed_ = hot_ = index;
        ::SetFocus(hwnd());
        ::SetCapture(hwnd());
        Redraw(index);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int index = pressed_;
        if (index < 0)
            return 0;
        pressed_ = -1;
        ::ReleaseCapture();
        Redraw(index);
        // A press counts where it was let go of on the same button.
        if (ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == index)
            Press(index);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            Redraw(pressed_);
            pressed_ = -1;
        }
        return 0;
    case WM_SETFOCUS:
        Redraw(focus_);
        if (focus_ >= 0)
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, focus_ + 1);
        return 0;
    case WM_KILLFOCUS:
        Redraw(focus_);
        return 0;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
            // Calls from clients are to arrive on this thread, in turn with its messages: the
            // thread joins a single-threaded apartment when first asked, and stays in it.
            thread_local const HRESULT apartment =
                ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            (void)apartment;
            IAccessible* standard = nullptr;
            if (FAILED(::CreateStdAccessibleObject(hwnd(), OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&standard))))
                break;
            auto* accessible = new Accessible(*this, standard);
            const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, accessible);
            accessible->Release();
            return result;
        }
        break;
    case WM_GETDLGCODE: {
        // The arrows move within the column, Enter presses; Tab stays the dialog's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTARROWS | DLGC_WANTMESSAGE;
        return DLGC_WANTARROWS;
    }
    case WM_UPDATEUISTATE:
        Default(message, wParam, lParam);
        keyboardCues_ = !(::SendMessageW(hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
        Redraw(focus_);
        return 0;
    case WM_KEYDOWN:
        keyboardCues_ = true;
        switch (wParam) {
        case VK_UP:
        case VK_LEFT:
            MoveFocus(-1);
            return 0;
        case VK_DOWN:
        case VK_RIGHT:
            MoveFocus(+1);
            return 0;
        case VK_HOME:
            MoveFocus(+1, true);
            return 0;
        case VK_END:
            MoveFocus(-1, true);
            return 0;
        case VK_RETURN:
            Press(focus_);
            return 0;
        case VK_SPACE:
            Redraw(focus_);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            Press(focus_);
            return 0;
        }
        break;
    case WM_THEMECHANGED:
        theme_.reset();
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        break;
    case WM_DESTROY:
        theme_.reset();
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace tessaly
