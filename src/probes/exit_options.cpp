#include "probes/exit_options.h"

namespace tessaly {

namespace {
// The values of winuser.h and reason.h, spelt out so this file stays free of Windows headers.
constexpr uint32_t kLogOff = 0x0, kShutdown = 0x1, kReboot = 0x2, kPowerOff = 0x8;
constexpr uint32_t kForceIfHung = 0x10;
constexpr uint32_t kReasonOtherPlanned = 0x80000000; // major and minor "other", planned
} // namespace

std::optional<ExitRequest> ExitRequestFor(int32_t option) {
    uint32_t action = 0;
    switch (option) {
    case 0:
        action = kLogOff;
        break;
    case 1:
        action = kShutdown;
        break;
    case 2:
        action = kReboot;
        break;
    case 8:
        action = kPowerOff;
        break;
    default:
        return std::nullopt;
    }
    return ExitRequest{action | kForceIfHung, kReasonOtherPlanned};
}

} // namespace tessaly
