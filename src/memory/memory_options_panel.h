// The memory "Options" view: the show/hide hotkey.
#pragma once

#include "memory/memory_options.h"
#include "settings/registry.h"

#include <windows.h>

#include <functional>

namespace tessaly {

class MemoryOptionsPanel {
public:
    void Create(HWND parent, HFONT font, const SettingsStore& store);
    void SetFont(HFONT font);
    void Layout(const RECT& area, int dpi);
    bool Created() const { return parent_ != nullptr; }
    void Show(bool visible); // showing reads the stored values afresh

    // WM_COMMAND from the parent; true when it was one of this view's controls.
    bool OnCommand(int id, int code);

    RamOptions Get() const;
    void Put(const RamOptions& options);
    // Writes the values; the result line says what happened.
    bool Save();

    std::function<void()> Saved; // the hotkey takes effect at once

private:
    HWND parent_ = nullptr;
    const SettingsStore* store_ = nullptr;
    HWND hotkeyCheck_ = nullptr, hotkeyEdit_ = nullptr;
    HWND save_ = nullptr, result_ = nullptr, note_ = nullptr;
};

} // namespace tessaly
