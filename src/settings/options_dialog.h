// The Options dialog (Form5). The owner is disabled while it is open.
#pragma once

#include "settings/options.h"
#include "win32/window.h"

#include <functional>
#include <string>

namespace tessaly {

class OptionsDialog final : public Dialog {
public:
    OptionsDialog(const SettingsStore& store, HKEY userRoot, std::wstring programFolder);

    // Shows a message box; tests replace it to read the message instead.
    std::function<void(HWND owner, const std::wstring& text, UINT type)> ShowMessage;

    // Moves the controls' state in and out.
    void Put(const OptionsModel& model);
    OptionsModel Get() const;
    void Save();

protected:
    void OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    const SettingsStore& store_;
    HKEY userRoot_;
    std::wstring programFolder_;
};

} // namespace tessaly
