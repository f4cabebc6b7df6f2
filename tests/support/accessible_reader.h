// What a screen reader reads of a window's client object: name, value, role and state.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace tessaly::test {

// IID_IAccessible spelled out: MinGW's symbol may resolve to an import thunk.
inline constexpr GUID kAccessibleId = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct AccessibleReader {
    AccessibleReader(const AccessibleReader&) = delete;
    AccessibleReader& operator=(const AccessibleReader&) = delete;
    IAccessible* object = nullptr;
    explicit AccessibleReader(HWND window) {
        ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleId,
                                     reinterpret_cast<void**>(&object));
    }
    ~AccessibleReader() {
        if (object)
            object->Release();
    }
    static VARIANT Self() {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = CHILDID_SELF;
        return v;
    }
    std::wstring Name() const { return Text(&IAccessible::get_accName); }
    std::wstring Value() const { return Text(&IAccessible::get_accValue); }
    long Role() const {
        VARIANT v;
        ::VariantInit(&v);
        object->get_accRole(Self(), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    long State() const {
        VARIANT v;
        ::VariantInit(&v);
        object->get_accState(Self(), &v);
        return v.vt == VT_I4 ? v.lVal : 0;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const {
        BSTR text = nullptr;
        std::wstring result;
        if ((object->*get)(Self(), &text) == S_OK && text)
            result = text;
        ::SysFreeString(text);
        return result;
    }
};

} // namespace tessaly::test
