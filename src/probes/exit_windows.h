// Log off, restart, shut down or power off on the user's request. Both programs make one
// clsExitWindows per command.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

// winuser.h's legacy two-argument ExitWindows macro would swallow the operation's name.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace tessaly {

class clsExitWindows {
public:
    // 0 log off, 1 shut down, 2 restart, 8 power off. The shutdown privilege is enabled for
    // any option; other options ask for nothing more. Failures leave everything running.
    void ExitWindows(int32_t option);
};

// The call that ends the session, replaceable for tests: under Wine the real one ends every
// program of the prefix. The replacement holds while the object lives.
using ExitWindowsExCall = std::function<BOOL(UINT flags, DWORD reason)>;
class ScopedExitWindowsEx {
public:
    explicit ScopedExitWindowsEx(ExitWindowsExCall call);
    ~ScopedExitWindowsEx();
    ScopedExitWindowsEx(const ScopedExitWindowsEx&) = delete;
    ScopedExitWindowsEx& operator=(const ScopedExitWindowsEx&) = delete;

private:
    ExitWindowsExCall previous_;
};

} // namespace tessaly
