// frmShell, the "New Task" dialog both programs carry: starts a program through the shell.
// Modeless; closing it only hides it, so the next opening shows the last text.
#pragma once

#include "win32/window.h"

#include <string>

namespace tessaly {

class RunDialog final : public Dialog {
public:
    // Loads the dialog the first time (centred, "Open" chosen) and shows it. `disableOnLoad`
    // (varnok's main window) is disabled by that first loading and enabled again when the
    // dialog first hides; while it is disabled the dialog holds it (one such dialog at a time).
    // Message boxes carry `title`.
    void Open(HWND owner, HWND disableOnLoad, std::wstring title);
    bool Loaded() const { return hwnd() != nullptr; }

    // What a click on "&Create Process" does; true when a program was started.
    bool CreateProcessFromText();

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void Unload();
    void Browse();
    void ShowVerbRow(bool visible);
    std::wstring Text() const;

    HWND disableOnLoad_ = nullptr;
    std::wstring title_;
};

} // namespace tessaly
