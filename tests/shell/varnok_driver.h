// Drives real varnok.exe and pelmora.exe processes from outside, as the user and other tools
// meet them: their windows, the shell's notification area and the process table.
#pragma once

#include "controls/tray_area.h"
#include "shell/main_window.h"
#include "shell/resource.h"
#include "support/wine_test_support.h"
#include "win32/handles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tessaly {
namespace {

using namespace std::chrono_literals;
using test::EndProcess;
using test::ProcessEntry;
using test::ProcessesNamed;
using test::SameName;
using test::TestProgramFolder;
using Clock = std::chrono::steady_clock;

constexpr const wchar_t* kVarnok = L"varnok.exe";
constexpr const wchar_t* kPelmora = L"pelmora.exe";
constexpr const wchar_t* kMainClass = L"TessalyMainWindow";
constexpr const wchar_t* kTrayClass = L"TessalyTrayArea";
constexpr auto kStartTimeout = 20s;

// Polls until `done` holds or the time is up; the last answer counts.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end)
            return done();
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

inline bool IsRunning(DWORD processId) {
    const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// A program started by the test; ended on the way out whatever the test's outcome.
class Child {
public:
    // `arguments` is appended to the quoted program path exactly as given.
    // `program` is a name in this test's folder or a full path.
    Child(const std::wstring& program, std::wstring_view arguments = {}) {
        const std::wstring path = program.find(L'\\') == std::wstring::npos
                                      ? TestProgramFolder() + L"\\" + program
                                      : program;
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!arguments.empty())
            commandLine += L" " + std::wstring(arguments);
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &info))
            return;
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        id_ = info.dwProcessId;
    }
    ~Child() {
        if (process_ && Running()) {
            ::TerminateProcess(process_.get(), 1);
            ::WaitForSingleObject(process_.get(), 5000);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    explicit operator bool() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    bool Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    bool WaitForExit(std::chrono::milliseconds timeout) const {
        return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) ==
               WAIT_OBJECT_0;
    }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// The top-level window of class `className` that belongs to the process, shown or not, and
// that `accept` takes when given.
inline HWND TopLevelWindow(DWORD processId, const wchar_t* className,
                           const std::function<bool(HWND)>& accept = {}) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        const std::function<bool(HWND)>& accept;
        HWND found;
    } search{processId, className, accept, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, ARRAYSIZE(name));
            if (owner != s.processId || wcscmp(name, s.className) != 0 ||
                (s.accept && !s.accept(window)))
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND WaitForWindow(DWORD processId, const wchar_t* className) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = TopLevelWindow(processId, className)) != nullptr; },
              kStartTimeout);
    return window;
}

inline std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                               &copied))
        return {};
    text.resize(std::min<size_t>(copied, length));
    return text;
}

constexpr const wchar_t* kDialogClass = L"#32770";

// A shown top-level window of the process with this class and caption (any caption when
// empty); null when none.
inline HWND OwnedWindow(DWORD processId, const wchar_t* className, const std::wstring& caption) {
    return TopLevelWindow(processId, className, [&](HWND window) {
        return ::IsWindowVisible(window) && (caption.empty() || TextOf(window) == caption);
    });
}

inline HWND WaitForOwned(DWORD processId, const wchar_t* className, const std::wstring& caption,
                         std::chrono::milliseconds timeout = 10s) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = OwnedWindow(processId, className, caption)) != nullptr; },
              timeout);
    return window;
}

inline bool Gone(HWND window) {
    return WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, 10s);
}

// The text of a message box: its static control.
inline std::wstring MessageText(HWND box) {
    return TextOf(::GetDlgItem(box, 0xFFFF));
}

inline void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// MAKELRESULT(rows of the startup list, rows marked new).
inline DWORD_PTR StartupCounts(HWND window) {
    DWORD_PTR counts = 0;
    ::SendMessageTimeoutW(window, kQueryStartupList, 0, 0, SMTO_ABORTIFHUNG, 5000, &counts);
    return counts;
}

inline bool StartupListShown(HWND window) {
    DWORD_PTR shown = 0;
    ::SendMessageTimeoutW(window, kQueryStartupList, 1, 0, SMTO_ABORTIFHUNG, 5000, &shown);
    return shown != 0;
}

// The cell texts of another process's list view, row by row. The list view writes into memory
// of its own process, so the item record and the text buffer are placed there.
inline std::vector<std::vector<std::wstring>> ListCells(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> cells;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(list, &processId);
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process)
        return cells;
    constexpr size_t kChars = 512;
    struct Block {
        LVITEMW item;
        wchar_t text[kChars];
    };
    auto* remote = static_cast<Block*>(::VirtualAllocEx(process.get(), nullptr, sizeof(Block),
                                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote)
        return cells;
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::vector<std::wstring>& line = cells.emplace_back();
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = remote->text;
            item.cchTextMax = kChars;
            wchar_t text[kChars] = {};
            DWORD_PTR length = 0;
            if (::WriteProcessMemory(process.get(), &remote->item, &item, sizeof item, nullptr) &&
                ::SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote),
                                      SMTO_ABORTIFHUNG, 5000, &length) &&
                ::ReadProcessMemory(process.get(), remote->text, text, sizeof text, nullptr))
                line.emplace_back(text, std::min<size_t>(length, kChars - 1));
            else
                line.emplace_back();
        }
    }
    ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return cells;
}

// What the main window reports about its notification-area icon.
struct TrayState {
    UINT iconId = 0;
    bool visible = false;
};
inline TrayState QueryTray(HWND mainWindow) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(mainWindow, kQueryTrayIcon, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return {LOWORD(result), HIWORD(result) != 0};
}

// Asks the shell itself: modifying an icon succeeds only while the shell holds an icon with
// this owner and id. No flags, so nothing about the icon changes.
inline bool ShellHasIcon(HWND owner, UINT iconId) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = iconId;
    data.uFlags = 0;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// Alt plus a key as injected input. Wine's server checks injected keys against registered
// hotkeys just as it does real ones, so this reaches RegisterHotKey under Xvfb too.
inline void PressAltWith(WORD key) {
    const auto event = [](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        return input;
    };
    INPUT inputs[] = {event(VK_MENU, 0), event(key, 0), event(key, KEYEVENTF_KEYUP),
                      event(VK_MENU, KEYEVENTF_KEYUP)};
    ::SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
}

// Whether some program holds Alt + `key` as a hotkey: the system then refuses it to us.
inline bool AltHotkeyTaken(WORD key) {
    constexpr int kProbeId = 0xBFFF;
    if (!::RegisterHotKey(nullptr, kProbeId, MOD_ALT, key))
        return true;
    ::UnregisterHotKey(nullptr, kProbeId);
    return false;
}

// Machine-wide REG_SZ values under a key, deleted again (with the key when the guard made
// it) on the way out.
class RegistryValues {
public:
    RegistryValues(const wchar_t* subKey,
                   std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values)
        : subKey_(subKey) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, &disposition) != ERROR_SUCCESS)
            return;
        key_.reset(key);
        createdKey_ = disposition == REG_CREATED_NEW_KEY;
        for (const auto& [name, text] : values) {
            const std::wstring data = text;
            ok_ &= ::RegSetValueExW(
                       key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
            names_.push_back(name);
        }
    }
    ~RegistryValues() {
        for (const std::wstring& name : names_)
            ::RegDeleteValueW(key_.get(), name.c_str());
        key_.reset();
        if (createdKey_)
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, subKey_.c_str());
    }
    bool Written() const { return key_ && ok_; }

private:
    std::wstring subKey_;
    UniqueRegKey key_;
    bool createdKey_ = false;
    bool ok_ = true;
    std::vector<std::wstring> names_;
};

constexpr const wchar_t* kStateKey = L"software\\orvix\\tessaly";

// The "state" value as varnok reads it: the user's first, the machine's second.
inline std::wstring StateValue() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t text[32] = {};
        DWORD size = sizeof text;
        if (::RegGetValueW(root, kStateKey, L"state", RRF_RT_REG_SZ, nullptr, text, &size) ==
            ERROR_SUCCESS)
            return text;
    }
    return {};
}
// "1" starts varnok without the one-time inventory.
inline void SetState(const wchar_t* value) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kStateKey, L"state");
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kStateKey, L"state", REG_SZ, value,
                      static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

// Every test starts and ends without a varnok or pelmora around: one left running would keep
// the single pelmora instance or the hotkey from the next test. What the test started, varnok's
// pelmora included, is ended on the way out; what was there before is left alone.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {kVarnok, kPelmora})
            for (const ProcessEntry& entry : ProcessesNamed(name))
                before_.insert(entry.id);
        ASSERT_TRUE(before_.empty()) << "a varnok or pelmora not started by this test is running";
    }
    void TearDown() override {
        for (const ProcessEntry& entry : ProcessesNamed(kVarnok))
            if (!before_.count(entry.id))
                EndProcess(entry.id);
        // varnok starts pelmora a moment after its list is shown; one ended at that moment
        // may have had the start under way, and its pelmora shows up a little later.
        const auto endPelmora = [this] {
            for (const ProcessEntry& entry : ProcessesNamed(kPelmora))
                if (!before_.count(entry.id))
                    EndProcess(entry.id);
            return false;
        };
        WaitUntil(endPelmora, 1s);
    }

    // Starts varnok and waits until its list is loaded: the main window exists and the
    // process count is shown.
    HWND StartVarnok(Child& varnok) {
        if (!varnok)
            return nullptr;
        const HWND window = WaitForWindow(varnok.Id(), kMainClass);
        if (window)
            WaitUntil([&] { return ProcessCount(window) > 0; }, kStartTimeout);
        return window;
    }

    static int ProcessCount(HWND mainWindow) {
        return _wtoi(TextOf(::GetDlgItem(mainWindow, IDC_LBLPROCESSNO)).c_str());
    }
    static int ListRows(HWND mainWindow) {
        return static_cast<int>(
            ::SendMessageW(::GetDlgItem(mainWindow, IDC_LSTPROCESSES), LVM_GETITEMCOUNT, 0, 0));
    }

private:
    std::set<DWORD> before_;
};

} // namespace
} // namespace tessaly
