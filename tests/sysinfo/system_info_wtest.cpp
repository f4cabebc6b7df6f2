// clsSysInfo and cSystemInfo against the system Wine reports.
#include "sysinfo/system_info.h"

#include "support/wine_test_support.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tessaly {
namespace {

using test::SameName;

bool AllDigits(std::wstring_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// Column of this test program in the loaded table, 0 when it is not there.
int OwnColumn(const clsSysInfo& info) {
    const DWORD self = ::GetCurrentProcessId();
    for (int i = 0; i < info.ProcessCount(); ++i)
        if (info.Processes()[i].processId == self)
            return i + 1;
    return 0;
}

TEST(SysInfo, NothingIsLoadedBeforeInitialise) {
    const clsSysInfo info;
    EXPECT_EQ(info.iProcessCount(), 0);
    EXPECT_EQ(info.sProcessInfo(1, 1), L"");
}

TEST(SysInfo, InitialiseLoadsTheProcessTable) {
    clsSysInfo info;
    ASSERT_TRUE(info.Initialise()) << "error " << info.ErrorNumber();
    EXPECT_EQ(info.ErrorNumber(), 0);
    EXPECT_EQ(info.PlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_GT(info.lTotalMemory(), 0u);
    EXPECT_LE(info.fMemoryInUse(), 100u);

    const int count = info.ProcessCount();
    ASSERT_GT(count, 0);
    EXPECT_EQ(info.iProcessCount(), count + 1);
    for (int i = 1; i <= count; ++i) {
        const std::wstring name = info.sProcessInfo(i, 1);
        EXPECT_FALSE(name.empty()) << "column " << i;
        EXPECT_EQ(name.find(L'\\'), std::wstring::npos) << ToUtf8(name);
        EXPECT_NE(name.find(L'.'), std::wstring::npos) << ToUtf8(name);
        EXPECT_TRUE(AllDigits(info.sProcessInfo(i, 2))) << ToUtf8(info.sProcessInfo(i, 2));
    }
    // Outside the table, in either direction, there is nothing.
    EXPECT_EQ(info.sProcessInfo(0, 1), L"");
    EXPECT_EQ(info.sProcessInfo(0, 2), L"");
    EXPECT_EQ(info.sProcessInfo(count + 1, 1), L"");
    EXPECT_EQ(info.sProcessInfo(count + 1, 2), L"");
    EXPECT_EQ(info.sProcessInfo(-1, 1), L"");
    EXPECT_EQ(info.sProcessInfo(1, 0), L"");
    EXPECT_EQ(info.sProcessInfo(1, 3), L"");

    const int own = OwnColumn(info);
    ASSERT_GT(own, 0) << "this test's own process is not in the table";
    EXPECT_TRUE(SameName(info.sProcessInfo(own, 1), L"sysinfo_wtest.exe"))
        << ToUtf8(info.sProcessInfo(own, 1));
    EXPECT_GT(std::stoul(info.sProcessInfo(own, 2)), 0ul);
}

TEST(SysInfo, LoadingAgainReplacesTheTable) {
    clsSysInfo info;
    ASSERT_TRUE(info.Initialise());
    info.LoadProcessArray();
    info.LoadProcessArray();
    std::set<uint32_t> ids;
    for (const ProcessRecord& record : info.Processes())
        EXPECT_TRUE(ids.insert(record.processId).second) << "listed twice: " << record.processId;
    EXPECT_EQ(info.iProcessCount(), info.ProcessCount() + 1);
    EXPECT_GT(OwnColumn(info), 0);
}

TEST(SystemInfo, VersionTextsComeFromTheRunningSystem) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW os{};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_EQ(rtlGetVersion(&os), 0);

    const cSystemInfo info;
    EXPECT_EQ(info.WinVersion(), std::to_wstring(os.dwMajorVersion) + L"." +
                                     std::to_wstring(os.dwMinorVersion) + L" (Build " +
                                     std::to_wstring(os.dwBuildNumber) + L")");
    EXPECT_EQ(info.WinName().rfind(L"Windows ", 0), 0u) << ToUtf8(info.WinName());

    // "Internet Explorer " and three numbers, the first not 0: shlwapi answered.
    const std::wstring prefix = L"Internet Explorer ";
    const std::wstring& ie = info.IEVersion();
    ASSERT_EQ(ie.rfind(prefix, 0), 0u) << ToUtf8(ie);
    const std::wstring numbers = ie.substr(prefix.size());
    const size_t dot1 = numbers.find(L'.');
    const size_t dot2 = numbers.find(L'.', dot1 + 1);
    ASSERT_NE(dot2, std::wstring::npos) << ToUtf8(ie);
    EXPECT_TRUE(AllDigits(numbers.substr(0, dot1))) << ToUtf8(ie);
    EXPECT_TRUE(AllDigits(numbers.substr(dot1 + 1, dot2 - dot1 - 1))) << ToUtf8(ie);
    EXPECT_TRUE(AllDigits(numbers.substr(dot2 + 1))) << ToUtf8(ie);
    EXPECT_NE(numbers.substr(0, dot1), L"0") << ToUtf8(ie);
}

} // namespace
} // namespace tessaly
