// Helpers the Wine test programs share: names and folders, processes to watch and end, message
// pumping with a deadline and list views read from inside this program.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include "win32/platform.h"
#include "win32/handles.h"

#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::test {

// --- Names and folders ---

// Equality of two paths or names the way the file system sees it: case does not count.
inline bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

inline std::string Narrow(std::wstring_view text) {
    return ToUtf8(text);
}

inline std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A program name that carries this run's process ID, so copies started by another test
// program in the same prefix are never taken for ours, nor ours to end.
inline std::wstring Unique(std::wstring_view stem) {
    return std::wstring(stem) + std::to_wstring(::GetCurrentProcessId()) + L".exe";
}

// The folder this test program runs from; the programs it starts are built next to it.
inline std::wstring TestProgramFolder() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

// The user's temp folder, with its closing backslash.
inline std::wstring TempFolder() {
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(::GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    return temp;
}

// --- Processes ---

// A handle of our own on a process, to see how it ended after the code under test ended it.
inline UniqueKernelHandle Watch(DWORD pid) {
    return UniqueKernelHandle(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

inline bool EndsWithin(const UniqueKernelHandle& process, DWORD ms) {
    return ::WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0;
}

inline DWORD ExitCode(const UniqueKernelHandle& process) {
    DWORD code = 0;
    return ::GetExitCodeProcess(process.get(), &code) ? code : 0xFFFFFFFF;
}

struct ProcessEntry {
    DWORD id = 0;
    DWORD parentId = 0;
};

// Every process of that program name that the system lists now.
inline std::vector<ProcessEntry> ProcessesNamed(std::wstring_view name) {
    std::vector<ProcessEntry> found;
    const UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return found;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (SameName(entry.szExeFile, name))
            found.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    }
    return found;
}

// Ends a process and gives it five seconds to go.
inline void EndProcess(DWORD processId, UINT exitCode = 1) {
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process)
        return;
    ::TerminateProcess(process.get(), exitCode);
    ::WaitForSingleObject(process.get(), 5000);
}

// Ends the pelmora.exe that a window of this program started from its folder; a copy started
// by another parent, another test's, is left alone.
inline void EndPelmoraStartedHere() {
    for (const ProcessEntry& entry : ProcessesNamed(L"pelmora.exe"))
        if (entry.parentId == ::GetCurrentProcessId())
            EndProcess(entry.id, 0);
}

// Memory this program holds in its working set while the object lives.
class Ballast {
public:
    explicit Ballast(size_t bytes)
        : memory_(static_cast<char*>(
              ::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
        for (size_t i = 0; memory_ && i < bytes; i += 4096)
            static_cast<volatile char*>(memory_)[i] = 1;
    }
    ~Ballast() {
        if (memory_)
            ::VirtualFree(memory_, 0, MEM_RELEASE);
    }
    Ballast(const Ballast&) = delete;
    Ballast& operator=(const Ballast&) = delete;

private:
    char* memory_;
};

// --- Messages ---

enum class PumpCheck {
    AfterBatch,       // `done` is asked once the waiting messages are all dispatched
    AfterEachMessage, // ...after every message, so a state that lasts a few messages is seen
};

// Runs this thread's messages until `done` holds, as the program's own loop would; false when
// `ms` pass first.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms,
                      PumpCheck check = PumpCheck::AfterBatch) {
    const bool eachMessage = check == PumpCheck::AfterEachMessage;
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() > end)
            return false;
        bool dispatched = false;
        MSG message;
        while (!(eachMessage && dispatched) && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            dispatched = true;
        }
        if (!(eachMessage && dispatched))
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A top-level window of a plain class with the window background, for controls to live on.
inline HWND MakePlainWindow(const wchar_t* title, DWORD style, int x, int y, int width,
                            int height) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = L"TessalyTestPlainWindow";
    ::RegisterClassW(&windowClass); // fails harmlessly when already there
    return ::CreateWindowExW(0, windowClass.lpszClassName, title, style, x, y, width, height,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
}

// Registers the common controls the main window uses, as varnok's own start does.
inline void InitMainWindowControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                       ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);
}

// --- List views of this program ---

inline std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

inline int ItemCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline int SelectedItem(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                           MAKELPARAM(LVNI_SELECTED, 0)));
}

// Selects a row as a click does: through the list view, which tells its parent.
inline void SelectInList(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

} // namespace tessaly::test
