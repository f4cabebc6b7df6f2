#include "report/log_text.h"

#include "common/text.h"

#include <cwchar>

namespace tessaly {

std::wstring LogFileText(const LogFacts& facts) {
    std::wstring text;
    const auto line = [&text](std::wstring_view content) {
        text += content;
        text += L"\r\n";
    };
    line(L"Logfile saved using tessaly " + facts.version);
    line(L"Scan saved at: " + facts.time + L"[" + facts.date + L"]");
    line(L"Platform: " + facts.winName + L"[" + facts.winVersion + L"]");
    line(L"MSIE: " + facts.ieVersion + L"\r\n"); // its own line end leaves line 5 empty
    line(L"[Running processes]");
    for (const std::wstring& path : facts.paths)
        line(path);
    return text;
}

std::wstring TwelveHourTime(int hour, int minute, int second, std::wstring_view am,
                            std::wstring_view pm) {
    const int clock = hour % 12 == 0 ? 12 : hour % 12;
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%02d:%02d:%02d", clock, minute % 60, second % 60);
    std::wstring text = digits;
    const std::wstring_view designator = hour < 12 ? am : pm;
    if (!designator.empty()) {
        text += L' ';
        text += designator;
    }
    return text;
}

std::wstring SafeFileName(std::wstring_view name) {
    std::wstring safe(name);
    for (wchar_t& c : safe)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            c = L'-';
    return safe;
}

LogTarget LogFileTarget(std::wstring_view chosen, std::wstring_view shortDate) {
    if (Trim(chosen).empty())
        return {};
    const size_t slash = chosen.find_last_of(L'\\');
    const std::wstring_view folder =
        slash == std::wstring_view::npos ? std::wstring_view() : chosen.substr(0, slash + 1);
    const std::wstring_view name =
        slash == std::wstring_view::npos ? chosen : chosen.substr(slash + 1);
    if (Lower(Trim(name)) != L".txt")
        return {std::wstring(chosen), false};
    return {std::wstring(folder) + SafeFileName(shortDate) + L".txt", true};
}

} // namespace tessaly
