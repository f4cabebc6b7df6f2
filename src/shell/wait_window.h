// Form3, the "Please wait" window shown while the process list loads.
#pragma once

#include "win32/handles.h"
#include "win32/window.h"

namespace tessaly {

class WaitWindow final : public Window {
public:
    // The text says what is being loaded; a window already shown takes the new text.
    void Show(HWND owner, const wchar_t* text = L"Loading Processes Please wait ....");
    void Close();

private:
    UniqueFont font_;
};

} // namespace tessaly
