#include "memory/memory_options_panel.h"

#include "common/text.h"
#include "settings/setting_names.h"
#include "win32/platform.h"

namespace tessaly {

using namespace settings;

namespace {
constexpr int kHotkeyCheck = 1250, kHotkeyEdit = 1251, kSave = 1254, kResult = 1255;
}

void MemoryOptionsPanel::Create(HWND parent, HFONT font, const SettingsStore& store) {
    parent_ = parent;
    store_ = &store;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id = 0,
                           DWORD exStyle = 0) {
        return ::CreateWindowExW(exStyle, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                 nullptr);
    };
    hotkeyCheck_ = child(L"BUTTON", L"Show and hide Tessaly from anywhere with Alt +",
                         BS_AUTOCHECKBOX | WS_TABSTOP, kHotkeyCheck);
    hotkeyEdit_ =
        child(L"EDIT", L"", ES_UPPERCASE | ES_CENTER | WS_TABSTOP, kHotkeyEdit, WS_EX_CLIENTEDGE);
    ::SendMessageW(hotkeyEdit_, EM_LIMITTEXT, 1, 0);
    save_ = child(L"BUTTON", L"Save", BS_PUSHBUTTON | WS_TABSTOP, kSave);
    result_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kResult);
    note_ =
        child(L"STATIC", L"The hotkey works while Tessaly runs, also when its window is hidden.",
              SS_LEFT | SS_NOPREFIX);
    SetFont(font);
}

void MemoryOptionsPanel::SetFont(HFONT font) {
    for (HWND control : {hotkeyCheck_, hotkeyEdit_, save_, result_, note_})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void MemoryOptionsPanel::Layout(const RECT& area, int dpi) {
    const auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    const int x = area.left, y = area.top + s(12), line = s(34), check = s(300);
    ::MoveWindow(hotkeyCheck_, x, y, check, s(22), TRUE);
    ::MoveWindow(hotkeyEdit_, x + check + s(6), y - s(1), s(32), s(24), TRUE);
    ::MoveWindow(note_, x + s(18), y + s(24), s(460), s(18), TRUE);
    ::MoveWindow(save_, x, y + line + s(24), s(110), s(28), TRUE);
    ::MoveWindow(result_, x + s(124), y + line + s(30), s(420), s(18), TRUE);
}

void MemoryOptionsPanel::Show(bool visible) {
    if (visible) {
        RamOptions options;
        options.hotkeyOn = store_->Number(kRamOptKey, kHotkeyOn) == 1;
        options.hotkeyKey = StoredHotkeyKey(store_->Text(kRamOptKey, kHotkeyKey));
        Put(options);
        ::SetWindowTextW(result_, L"");
    }
    for (HWND control : {hotkeyCheck_, hotkeyEdit_, save_, result_, note_})
        ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void MemoryOptionsPanel::Put(const RamOptions& options) {
    ::SendMessageW(hotkeyCheck_, BM_SETCHECK, options.hotkeyOn ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SetWindowTextW(hotkeyEdit_, options.hotkeyKey.c_str());
}

RamOptions MemoryOptionsPanel::Get() const {
    RamOptions options;
    options.hotkeyOn = ::SendMessageW(hotkeyCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    options.hotkeyKey = StoredHotkeyKey(WindowText(hotkeyEdit_));
    return options;
}

bool MemoryOptionsPanel::Save() {
    const RamOptions options = Get();
    std::wstring failed;
    const auto save = [&](const wchar_t* name, const std::wstring& value) {
        if (store_->Write(kRamOptKey, name, value) == SettingsStore::Stored::Failed)
            failed += (failed.empty() ? L"" : L", ") + std::wstring(name);
    };
    save(kHotkeyOn, options.hotkeyOn && !options.hotkeyKey.empty() ? L"1" : L"0");
    save(kHotkeyKey, options.hotkeyKey);
    ::SetWindowTextW(result_, failed.empty() ? L"Settings Successfully Saved"
                                             : (L"Could not save: " + failed).c_str());
    if (Saved)
        Saved();
    return failed.empty();
}

bool MemoryOptionsPanel::OnCommand(int id, int code) {
    if (id == kSave && code == BN_CLICKED) {
        Save();
        return true;
    }
    return id >= kHotkeyCheck && id <= kResult;
}

} // namespace tessaly
