#include "probes/exit_windows.h"

#include "probes/exit_options.h"
#include "win32/handles.h"

#include <utility>

namespace tessaly {

namespace {
ExitWindowsExCall& ExitCall() {
    static ExitWindowsExCall call;
    return call;
}

void EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return;
    const UniqueKernelHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}
} // namespace

void clsExitWindows::ExitWindows(int32_t option) {
    EnableShutdownPrivilege();
    const auto request = ExitRequestFor(option);
    if (!request)
        return;
    if (const ExitWindowsExCall& replaced = ExitCall())
        replaced(request->flags, request->reason);
    else
        ::ExitWindowsEx(request->flags, request->reason);
}

ScopedExitWindowsEx::ScopedExitWindowsEx(ExitWindowsExCall call)
    : previous_(std::exchange(ExitCall(), std::move(call))) {}

ScopedExitWindowsEx::~ScopedExitWindowsEx() {
    ExitCall() = std::move(previous_);
}

} // namespace tessaly
