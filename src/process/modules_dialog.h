// The modules dialog (frmModules): the modules a process has loaded, with their sizes and
// file dates. Modeless; its owner is disabled while it is open, as a modal dialog would do,
// without blocking the owner's message loop.
#pragma once

#include "process/process_control.h"
#include "win32/window.h"

#include <functional>
#include <string>
#include <vector>

namespace tessaly {

class ModulesDialog final : public Dialog {
public:
    ModulesDialog() = default;
    ~ModulesDialog() override;

    // Opens the dialog for one process (a dialog still open is closed first). `path` is the
    // process's image path, left out of the list. False when the dialog could not be made.
    bool Show(HWND owner, DWORD pid, std::wstring name, std::wstring path);

    // Closes the dialog, giving the owner back first so it becomes the active window.
    void Close();

    // Runs once each time the window goes (Close button, Esc, close box, or the owner
    // closing it), after the owner is enabled again; not when this object itself is
    // destroyed. Do not destroy the object from inside it.
    std::function<void()> Closed;

    HWND List() const;
    const std::vector<ModuleRow>& Rows() const { return rows_; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void AddColumns();
    void FillList();
    void CentreOnOwnerMonitor();
    void Layout();

    HWND owner_ = nullptr;
    DWORD pid_ = 0;
    std::wstring name_;
    std::wstring path_;
    std::vector<ModuleRow> rows_;
};

} // namespace tessaly
