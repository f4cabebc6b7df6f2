// How a log-off, restart, shut-down or power-off request reaches ExitWindowsEx. Pure.
#pragma once

#include <cstdint>
#include <optional>

namespace tessaly {

struct ExitRequest {
    uint32_t flags = 0;
    uint32_t reason = 0;
};

// Options 0 log off, 1 shut down, 2 restart, 8 power off; any other asks for nothing. Programs
// are asked to close and may save or cancel; only hung ones are ended.
std::optional<ExitRequest> ExitRequestFor(int32_t option);

} // namespace tessaly
