// Ending processes, their priority, their module lists and the modules dialog, against real
// child processes under Wine.
#include "process/modules_dialog.h"
#include "process/process_control.h"
#include "process/process_control_logic.h"
#include "process/process_query.h"

#include "common/text.h"
#include "process/modules_resource.h"
#include "support/sleeper_process.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using test::CellText;
using test::EndsWithin;
using test::ExitCode;
using test::Narrow;
using test::PumpUntil;
using test::SameName;
using test::ScratchFolder;
using test::SleeperProcess;
using test::Unique;
using test::Upper;
using test::Watch;

// Wine lets an ended process be opened by its ID for about half a second after the last
// handle on it closes; a process counts as gone once its ID opens nothing.
bool WaitUntilGone(DWORD pid) {
    for (int i = 0; i < 100; ++i) {
        if (!Watch(pid))
            return true;
        ::Sleep(50);
    }
    return false;
}

// The ID of a process that ran a moment ago and is gone now, nobody holding it.
DWORD GoneProcessId(const std::wstring& exePath) {
    SleeperProcess child = SleeperProcess::Start(exePath);
    const DWORD id = child.id();
    child.Kill();
    return WaitUntilGone(id) ? id : 0;
}

class ProcessControl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = new ScratchFolder(L"tessaly control");
        plainPath_ = new std::wstring(scratch_->PlaceSleeper(Unique(L"plain")));
    }
    static void TearDownTestSuite() {
        delete plainPath_;
        delete scratch_;
        plainPath_ = nullptr;
        scratch_ = nullptr;
    }
    void SetUp() override { ASSERT_FALSE(plainPath().empty()) << "sleeper.exe was not copied"; }

    static const ScratchFolder& scratch() { return *scratch_; }
    static const std::wstring& plainPath() { return *plainPath_; }

private:
    static ScratchFolder* scratch_;
    static std::wstring* plainPath_;
};

ScratchFolder* ProcessControl::scratch_ = nullptr;
std::wstring* ProcessControl::plainPath_ = nullptr;

TEST_F(ProcessControl, SnapshotEndingMatchesWholeNamesOnly) {
    // "host…" is the ending of "svchost…": only the exact name may go, in any case.
    const std::wstring name = Unique(L"host");
    const std::wstring hostPath = scratch().PlaceSleeper(L"snap\\" + name);
    const std::wstring upperPath = scratch().PlaceSleeper(L"snap upper\\" + Upper(name));
    const std::wstring decoyPath = scratch().PlaceSleeper(L"snap\\sv" + Unique(L"chost"));
    ASSERT_FALSE(hostPath.empty() || upperPath.empty() || decoyPath.empty());

    SleeperProcess first = SleeperProcess::Start(hostPath);
    ASSERT_STARTED(first);
    SleeperProcess second = SleeperProcess::Start(hostPath);
    ASSERT_STARTED(second);
    SleeperProcess upper = SleeperProcess::Start(upperPath);
    ASSERT_STARTED(upper);
    SleeperProcess spared = SleeperProcess::Start(hostPath);
    ASSERT_STARTED(spared);
    SleeperProcess decoy = SleeperProcess::Start(decoyPath);
    ASSERT_STARTED(decoy);
    const UniqueKernelHandle firstWatch = Watch(first.id()), secondWatch = Watch(second.id()),
                             upperWatch = Watch(upper.id()), sparedWatch = Watch(spared.id()),
                             decoyWatch = Watch(decoy.id());

    EXPECT_TRUE(TerminateBySnapshotName(name, spared.id()));

    for (const UniqueKernelHandle* ended : {&firstWatch, &secondWatch, &upperWatch}) {
        ASSERT_TRUE(EndsWithin(*ended, 5000));
        EXPECT_EQ(ExitCode(*ended), 1u);
    }
    EXPECT_FALSE(EndsWithin(sparedWatch, 0)) << "the spared process was ended";
    EXPECT_FALSE(EndsWithin(decoyWatch, 0)) << "svchost went for host";

    // Only the spared one is left: it still counts as a match, and survives again.
    EXPECT_TRUE(TerminateBySnapshotName(name, spared.id()));
    EXPECT_FALSE(EndsWithin(sparedWatch, 0));
    // A tail of the name is not the name.
    EXPECT_FALSE(TerminateBySnapshotName(name.substr(1), 0));
    EXPECT_FALSE(TerminateBySnapshotName(L"no such program.exe", 0));
    EXPECT_FALSE(EndsWithin(decoyWatch, 0));
}

TEST_F(ProcessControl, LookupEndingEndsEveryCopyAndStopsAtTheSparedOne) {
    const std::wstring name = Unique(L"lookup");
    const std::wstring path = scratch().PlaceSleeper(L"lookup\\" + name);
    ASSERT_FALSE(path.empty());
    std::vector<SleeperProcess> copies;
    std::vector<UniqueKernelHandle> watches;
    for (int i = 0; i < 4; ++i) {
        copies.push_back(SleeperProcess::Start(path));
        ASSERT_STARTED(copies.back());
        watches.push_back(Watch(copies.back().id()));
    }

    EXPECT_TRUE(TerminateByLookupName(Upper(name), 0));
    for (const UniqueKernelHandle& watch : watches) {
        ASSERT_TRUE(EndsWithin(watch, 5000));
        EXPECT_EQ(ExitCode(watch), 1u);
    }
    EXPECT_EQ(FindProcessId(name), 0u);

    // When the lookup finds the spared process first, nothing is ended and the loop ends.
    SleeperProcess a = SleeperProcess::Start(path);
    ASSERT_STARTED(a);
    SleeperProcess b = SleeperProcess::Start(path);
    ASSERT_STARTED(b);
    const DWORD found = FindProcessId(name);
    ASSERT_TRUE(found == a.id() || found == b.id()) << found;
    const UniqueKernelHandle aWatch = Watch(a.id()), bWatch = Watch(b.id());
    EXPECT_TRUE(TerminateByLookupName(name, found));
    EXPECT_FALSE(EndsWithin(aWatch, 0));
    EXPECT_FALSE(EndsWithin(bWatch, 0));

    // Our own program is the spared process in practice: asking to end it returns at once.
    const std::wstring self = FileNamePart(ModulePath());
    EXPECT_TRUE(TerminateByLookupName(self, ::GetCurrentProcessId()));
    EXPECT_TRUE(TerminateByLookupName(L"no such program.exe", 0));
}

TEST_F(ProcessControl, EndingByIdReportsExitCodeOne) {
    SleeperProcess child = SleeperProcess::Start(plainPath());
    ASSERT_STARTED(child);
    const UniqueKernelHandle watch = Watch(child.id());

    EXPECT_TRUE(TerminateById(child.id()));
    // The call gives the process time to go, so it is gone by the time it returns.
    EXPECT_TRUE(EndsWithin(watch, 0));
    EXPECT_EQ(ExitCode(watch), 1u) << "not STILL_ACTIVE, not 0";
    EXPECT_EQ(FindProcessId(FileNamePart(plainPath())), 0u);

    // What cannot be opened fails quietly. (Wine, unlike Windows, accepts ending a process
    // that has ended but is still held, so that case is not asked here.)
    EXPECT_FALSE(TerminateById(0));
    const DWORD gone = GoneProcessId(plainPath());
    ASSERT_NE(gone, 0u) << "an ended process could still be opened";
    EXPECT_FALSE(TerminateById(gone));
}

TEST_F(ProcessControl, CriticalFlagIsOffForOrdinaryProcesses) {
    SleeperProcess child = SleeperProcess::Start(plainPath());
    ASSERT_STARTED(child);
    EXPECT_FALSE(IsCriticalProcess(child.id()));
    EXPECT_FALSE(IsCriticalProcess(::GetCurrentProcessId()));
    EXPECT_FALSE(IsCriticalProcess(0));
    const DWORD gone = GoneProcessId(plainPath());
    ASSERT_NE(gone, 0u) << "an ended process could still be opened";
    EXPECT_FALSE(IsCriticalProcess(gone));
}

TEST_F(ProcessControl, PriorityIsSetAndReadBack) {
    SleeperProcess child = SleeperProcess::Start(plainPath());
    ASSERT_STARTED(child);
    const UniqueKernelHandle watch = Watch(child.id());
    EXPECT_EQ(QueryPriority(child.id()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));

    for (DWORD priority : {IDLE_PRIORITY_CLASS, HIGH_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS,
                           ABOVE_NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}) {
        EXPECT_TRUE(SetPriority(child.id(), priority)) << std::hex << priority;
        EXPECT_EQ(::GetPriorityClass(watch.get()), priority);
        EXPECT_EQ(QueryPriority(child.id()), priority);
    }

    // Without the privilege to raise it, Windows gives HIGH for REALTIME and still succeeds.
    EXPECT_TRUE(SetPriority(child.id(), REALTIME_PRIORITY_CLASS));
    const DWORD realtime = QueryPriority(child.id());
    EXPECT_TRUE(realtime == REALTIME_PRIORITY_CLASS || realtime == HIGH_PRIORITY_CLASS)
        << std::hex << realtime;
    EXPECT_GE(PriorityMarkIndex(realtime), 2);
    RecordProperty("realtime_reads_back", std::to_string(realtime));

    EXPECT_FALSE(SetPriority(child.id(), 0x12345)) << "not a priority class";
    EXPECT_EQ(QueryPriority(child.id()), realtime);

    const DWORD gone = GoneProcessId(plainPath());
    ASSERT_NE(gone, 0u) << "an ended process could still be opened";
    EXPECT_EQ(QueryPriority(gone), 0u);
    EXPECT_FALSE(SetPriority(gone, NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(QueryPriority(0), 0u);
}

const ModuleRow* FindModule(const std::vector<ModuleRow>& rows, std::wstring_view fileName) {
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const ModuleRow& row) {
        return SameName(FileNamePart(row.path), fileName);
    });
    return found == rows.end() ? nullptr : &*found;
}

TEST_F(ProcessControl, ModulesOfAChildLeaveOutItsOwnImageOnly) {
    // A date of our choosing on the child's file shows whether the date column reads the
    // module's own file, converted to local time.
    const std::wstring path = scratch().PlaceSleeper(L"dated\\" + Unique(L"dated"));
    ASSERT_FALSE(path.empty());
    {
        SYSTEMTIME local{2001, 2, 6, 3, 14, 37, 52, 0}, utc{};
        FILETIME written{};
        ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
        ASSERT_TRUE(::SystemTimeToFileTime(&utc, &written));
        const UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &written));
    }
    SleeperProcess child = SleeperProcess::Start(path);
    ASSERT_STARTED(child);
    const std::wstring imagePath = ProcessImagePath(child.id());
    ASSERT_TRUE(SameName(imagePath, path)) << Narrow(imagePath);

    const std::vector<ModuleRow> all = ListModules(child.id(), L"");
    const std::vector<ModuleRow> rows = ListModules(child.id(), imagePath);
    const std::vector<ModuleRow> upper = ListModules(child.id(), Upper(imagePath));
    // A folder is a prefix of every path in it, not equal to any.
    const std::wstring folder = imagePath.substr(0, imagePath.find_last_of(L'\\') + 1);
    const std::vector<ModuleRow> byFolder = ListModules(child.id(), folder);

    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows.size() + 1, all.size());
    EXPECT_EQ(upper.size(), rows.size());
    EXPECT_EQ(byFolder.size(), all.size());
    EXPECT_EQ(FindModule(rows, FileNamePart(path)), nullptr) << "its own image is listed";

    const ModuleRow* own = FindModule(all, FileNamePart(path));
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own->lastModified.find(L"2001"), std::wstring::npos) << Narrow(own->lastModified);
    EXPECT_NE(own->lastModified.find(L"37"), std::wstring::npos) << Narrow(own->lastModified);
    EXPECT_GT(own->imageSize, 0u);

    for (const wchar_t* dll : {L"kernel32.dll", L"ntdll.dll"}) {
        const ModuleRow* row = FindModule(rows, dll);
        ASSERT_NE(row, nullptr) << Narrow(dll) << " is not listed";
        EXPECT_NE(row->path.find(L'\\'), std::wstring::npos)
            << "a full path: " << Narrow(row->path);
        EXPECT_GT(row->imageSize, 4096u) << Narrow(dll);
        EXPECT_FALSE(row->lastModified.empty()) << Narrow(dll);
    }
    for (const ModuleRow& row : rows)
        EXPECT_FALSE(row.path.empty());

    child.Kill();
    EXPECT_TRUE(ListModules(child.id(), L"").empty());
    EXPECT_TRUE(ListModules(0, L"").empty());
}

TEST_F(ProcessControl, ModuleListHasNoFixedLength) {
    // More modules than any first guess at a buffer: copies of an empty DLL loaded into this
    // process, each under its own name.
    constexpr int kCopies = 300;
    const std::wstring source = test::TestProgramFolder() + L"\\filler_module.dll";
    std::vector<std::wstring> names;
    std::vector<HMODULE> loaded;
    for (int i = 0; i < kCopies; ++i) {
        const std::wstring name = L"filler" + std::to_wstring(i) + L".dll";
        const std::wstring copy = scratch().path() + L"\\fillers\\" + name;
        if (i == 0)
            ::CreateDirectoryW((scratch().path() + L"\\fillers").c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW(source.c_str(), copy.c_str(), FALSE)) << Narrow(copy);
        const HMODULE module = ::LoadLibraryW(copy.c_str());
        ASSERT_NE(module, nullptr) << Narrow(copy) << " " << ::GetLastError();
        loaded.push_back(module);
        names.push_back(name);
    }

    const std::vector<ModuleRow> rows = ListModules(::GetCurrentProcessId(), ModulePath());
    for (HMODULE module : loaded)
        ::FreeLibrary(module);

    EXPECT_GT(rows.size(), static_cast<size_t>(kCopies));
    for (const std::wstring& name : names)
        EXPECT_NE(FindModule(rows, name), nullptr) << Narrow(name) << " is missing";
    EXPECT_EQ(FindModule(rows, FileNamePart(ModulePath())), nullptr);
}

// A plain top-level window to own the dialog, as the main window does.
class OwnerWindow {
public:
    OwnerWindow() {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TessalyControlTestOwner";
        ::RegisterClassExW(&wc);
        hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 500,
                                  400, nullptr, nullptr, wc.hInstance, nullptr);
        ::ShowWindow(hwnd_, SW_SHOW);
    }
    ~OwnerWindow() {
        if (::IsWindow(hwnd_))
            ::DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

std::wstring ColumnTitle(HWND list, int index) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    return ::SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)) ? text
                                                                                          : L"";
}

TEST_F(ProcessControl, ModulesDialogShowsTheProcessAndHoldsItsOwner) {
    SleeperProcess child = SleeperProcess::Start(plainPath());
    ASSERT_STARTED(child);
    const std::wstring name = FileNamePart(plainPath());
    OwnerWindow owner;
    ASSERT_TRUE(owner.hwnd());

    ModulesDialog dialog;
    int closed = 0;
    dialog.Closed = [&] {
        ++closed;
        EXPECT_TRUE(::IsWindowEnabled(owner.hwnd())) << "the owner comes back before Closed";
    };
    ASSERT_TRUE(dialog.Show(owner.hwnd(), child.id(), name, ProcessImagePath(child.id())));
    ASSERT_TRUE(dialog.hwnd());
    EXPECT_TRUE(::IsWindowVisible(dialog.hwnd()));
    EXPECT_FALSE(::IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(::GetWindow(dialog.hwnd(), GW_OWNER), owner.hwnd());
    EXPECT_EQ(WindowText(dialog.hwnd()), L"Modules Details For[ " + name + L"]");

    const HWND list = dialog.List();
    ASSERT_TRUE(list);
    EXPECT_EQ(ColumnTitle(list, 0), L"Module Path");
    EXPECT_EQ(ColumnTitle(list, 1), L"Image Size");
    EXPECT_EQ(ColumnTitle(list, 2), L"Last Modified");
    EXPECT_TRUE(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    const int rows = test::ItemCount(list);
    EXPECT_GE(rows, 2);
    EXPECT_EQ(static_cast<size_t>(rows), dialog.Rows().size());
    EXPECT_EQ(WindowText(::GetDlgItem(dialog.hwnd(), IDC_LABEL1)),
              L"Number of Modules For [ " + name + L"] = " + std::to_wstring(rows));
    bool sawKernel32 = false;
    for (int i = 0; i < rows; ++i) {
        const ModuleRow& row = dialog.Rows()[static_cast<size_t>(i)];
        EXPECT_EQ(CellText(list, i, 0), row.path);
        EXPECT_EQ(CellText(list, i, 1), ModuleSizeText(row.imageSize));
        EXPECT_EQ(CellText(list, i, 2), row.lastModified);
        EXPECT_FALSE(SameName(row.path, plainPath())) << "the program itself is listed";
        sawKernel32 = sawKernel32 || SameName(FileNamePart(row.path), L"kernel32.dll");
    }
    EXPECT_TRUE(sawKernel32);

    // Centred on the owner's monitor.
    MONITORINFO monitor{sizeof monitor};
    ASSERT_TRUE(
        ::GetMonitorInfoW(::MonitorFromWindow(owner.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor));
    RECT box{};
    ASSERT_TRUE(::GetWindowRect(dialog.hwnd(), &box));
    EXPECT_NEAR((box.left + box.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 2);
    EXPECT_NEAR((box.top + box.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 2);

    // The Close button.
    const HWND button = ::GetDlgItem(dialog.hwnd(), IDC_COMMAND1_CLOSE);
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_COMMAND1_CLOSE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
}

TEST_F(ProcessControl, ModulesDialogGivesItsOwnerBackHoweverItGoes) {
    SleeperProcess child = SleeperProcess::Start(plainPath());
    ASSERT_STARTED(child);
    const std::wstring name = FileNamePart(plainPath());
    OwnerWindow owner;
    ModulesDialog dialog;
    int closed = 0;
    dialog.Closed = [&] { ++closed; };

    // The close box.
    ASSERT_TRUE(dialog.Show(owner.hwnd(), child.id(), name, plainPath()));
    EXPECT_FALSE(::IsWindowEnabled(owner.hwnd()));
    ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return dialog.hwnd() == nullptr; }, 5000));
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(closed, 1);

    // Esc, as the owner's message loop hands it to the dialog.
    ASSERT_TRUE(dialog.Show(owner.hwnd(), child.id(), name, plainPath()));
    EXPECT_FALSE(::IsWindowEnabled(owner.hwnd()));
    MSG escape{dialog.List(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(dialog.hwnd(), &escape));
    EXPECT_TRUE(PumpUntil([&] { return dialog.hwnd() == nullptr; }, 5000));
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(closed, 2);

    // Showing again while open replaces the open one; the owner stays held.
    ASSERT_TRUE(dialog.Show(owner.hwnd(), child.id(), name, plainPath()));
    ASSERT_TRUE(dialog.Show(owner.hwnd(), child.id(), name, plainPath()));
    EXPECT_EQ(closed, 3);
    EXPECT_FALSE(::IsWindowEnabled(owner.hwnd()));

    // The owner going takes the dialog with it.
    const HWND ownerHwnd = owner.hwnd();
    ::DestroyWindow(ownerHwnd);
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_EQ(closed, 4);

    // The object going while the dialog is open.
    OwnerWindow second;
    {
        ModulesDialog scoped;
        ASSERT_TRUE(scoped.Show(second.hwnd(), child.id(), name, plainPath()));
        EXPECT_FALSE(::IsWindowEnabled(second.hwnd()));
    }
    EXPECT_TRUE(::IsWindowEnabled(second.hwnd()));
}

TEST_F(ProcessControl, ModulesDialogOfAGoneProcessIsEmpty) {
    OwnerWindow owner;
    ModulesDialog dialog;
    ASSERT_TRUE(dialog.Show(owner.hwnd(), GoneProcessId(plainPath()), L"gone.exe", L""));
    EXPECT_EQ(test::ItemCount(dialog.List()), 0);
    EXPECT_EQ(WindowText(::GetDlgItem(dialog.hwnd(), IDC_LABEL1)),
              L"Number of Modules For [ gone.exe] = 0");
    dialog.Close();
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
}

} // namespace
} // namespace tessaly
