// Form3, the "Please wait" window shown while the process list loads.
#pragma once

#include "win32/handles.h"
#include "win32/window.h"

namespace tessaly {

class WaitWindow final : public Window {
public:
    void Show(HWND owner);
    void Close();

private:
    UniqueFont font_;
};

} // namespace tessaly
