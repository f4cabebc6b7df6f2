#include "controls/accessible.h"

#include <objbase.h>
#include <oleacc.h>

#include <atomic>

namespace tessaly {

namespace {

// IID_IAccessible spelled out: MinGW's symbol may resolve to an import thunk.
constexpr GUID kAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class Accessible final : public IAccessible {
public:
    Accessible(Window& owner, AccessibleSource& source, IAccessible* standard)
        : owner_(&owner), source_(source), hwnd_(owner.hwnd()), std_(standard) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kAccessible) {
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
        *count = source_.AccChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return ChildOf(child) > 0 ? S_FALSE : E_INVALIDARG; // simple elements, no objects
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        const long id = ChildOf(child);
        if (id < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        const std::wstring text = source_.AccName(id);
        if (id == CHILDID_SELF && text.empty())
            return std_->get_accName(child, name);
        return Text(text, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        const long id = ChildOf(child);
        if (id < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        const std::wstring text = source_.AccValue(id);
        return text.empty() ? DISP_E_MEMBERNOTFOUND : Text(text, value);
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
        const long id = ChildOf(child);
        if (id < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        role->vt = VT_I4;
        role->lVal = source_.AccRole(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state)
            return E_POINTER;
        ::VariantInit(state);
        const long id = ChildOf(child);
        if (id < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        long flags = source_.AccState(id);
        if (id == CHILDID_SELF) {
            VARIANT system;
            ::VariantInit(&system);
            if (SUCCEEDED(std_->get_accState(child, &system)) && system.vt == VT_I4)
                flags |= system.lVal;
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
        const std::optional<long> child = source_.AccFocusedChild();
        if (!child)
            return std_->get_accFocus(focus);
        if (*child > 0) {
            focus->vt = VT_I4;
            focus->lVal = *child;
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
        const long id = ChildOf(child);
        const std::wstring text = id >= 0 ? source_.AccDefaultAction(id) : std::wstring();
        return text.empty() ? DISP_E_MEMBERNOTFOUND : Text(text, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        const long id = ChildOf(child);
        if (id < 0 || flags != SELFLAG_TAKEFOCUS || !source_.AccTakeFocus(id))
            return E_INVALIDARG;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        const long id = ChildOf(child);
        if (id < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        if (id == CHILDID_SELF)
            return std_->accLocation(left, top, width, height, child);
        RECT box = source_.AccBox(id);
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
        const long from = ChildOf(start);
        if (from < 0)
            return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
        const long count = source_.AccChildCount();
        if (from == CHILDID_SELF && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD)
            return std_->accNavigate(direction, start, end);
        long to = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
            to = from == CHILDID_SELF ? 1 : 0;
            break;
        case NAVDIR_LASTCHILD:
            to = from == CHILDID_SELF ? count : 0;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
            to = from + 1;
            break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
            to = from - 1;
            break;
        default:
            return S_FALSE;
        }
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
        for (long id = 1; id <= source_.AccChildCount(); ++id) {
            const RECT box = source_.AccBox(id);
            if (::PtInRect(&box, at))
                hit->lVal = id;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const long id = ChildOf(child);
        if (id < 0 || source_.AccDefaultAction(id).empty())
            return DISP_E_MEMBERNOTFOUND;
        return source_.AccDoDefaultAction(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Accessible() { std_->Release(); }

    // The control lives as long as its window; a client may hold this object longer. The
    // window's own record of its object is compared, never the object itself, which may be
    // gone.
    bool Alive() const { return StillOwnedBy(hwnd_, owner_); }
    // The child a VARIANT names (0: the window itself), or -1.
    long ChildOf(const VARIANT& child) const {
        if (!Alive() || child.vt != VT_I4 || child.lVal < 0 || child.lVal > source_.AccChildCount())
            return -1;
        return child.lVal;
    }
    static HRESULT Text(const std::wstring& text, BSTR* out) {
        *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    Window* owner_;
    AccessibleSource& source_;
    HWND hwnd_;
    IAccessible* std_;
    std::atomic<ULONG> references_{1};
};

} // namespace

bool StillOwnedBy(HWND window, const Window* owner) {
    // The window base records its object in the window and clears it on destruction.
    return ::IsWindow(window) &&
           ::GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(owner);
}

bool AnswerGetObject(Window& owner, AccessibleSource& source, WPARAM wParam, LPARAM lParam,
                     LRESULT& result) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT))
        return false;
    // Calls from clients are to arrive on this thread, in turn with its messages: the thread
    // joins a single-threaded apartment when first asked, and stays in it.
    thread_local const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)apartment;
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(owner.hwnd(), OBJID_CLIENT, kAccessible,
                                           reinterpret_cast<void**>(&standard))))
        return false;
    auto* accessible = new Accessible(owner, source, standard);
    result = ::LresultFromObject(kAccessible, wParam, accessible);
    accessible->Release();
    return true;
}

} // namespace tessaly
