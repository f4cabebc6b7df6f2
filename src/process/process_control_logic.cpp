#include "process/process_control_logic.h"

#include "common/display_text.h"
#include "common/number_format.h"

namespace tessaly {

namespace {

constexpr uint64_t kKilobyte = 1024;
constexpr uint64_t kMegabyte = 1024 * 1024;

// Priority classes as the system numbers them.
constexpr uint32_t kIdle = 0x40;
constexpr uint32_t kNormal = 0x20;
constexpr uint32_t kHigh = 0x80;
constexpr uint32_t kRealtime = 0x100;

} // namespace

std::wstring ModuleSizeText(uint64_t bytes) {
    if (bytes < kKilobyte)
        return std::to_wstring(bytes) + L" Bytes";
    if (bytes < kMegabyte)
        return FormatNumber(static_cast<double>(bytes) / kKilobyte, 2) + L" KB";
    return FormatNumber(static_cast<double>(bytes) / kMegabyte, 2) + L" MB";
}

int PriorityMarkIndex(uint32_t priorityClass) {
    switch (priorityClass) {
    case kIdle:
        return 0;
    case kNormal:
        return 1;
    case kHigh:
        return 2;
    case kRealtime:
        return 3;
    default:
        return -1;
    }
}

std::wstring ModulesCaption(std::wstring_view name) {
    return L"Modules Details For[ " + DisplayText(name) + L"]";
}

std::wstring ModulesCountLine(std::wstring_view name, size_t count) {
    return L"Number of Modules For [ " + DisplayText(name) + L"] = " + std::to_wstring(count);
}

std::wstring TerminateQuestion(std::wstring_view name, bool critical) {
    std::wstring text = L"Are you sure to terminate this process\r" + DisplayText(name);
    if (critical)
        text += L"\r\rWindows marks this process as critical: ending it will stop Windows at "
                L"once.";
    return text;
}

std::wstring TerminateFailedText(std::wstring_view name, std::wstring_view reason) {
    return DisplayText(name) + L" could not be ended.\r\r" + std::wstring(reason);
}

} // namespace tessaly
