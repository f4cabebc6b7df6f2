// The file search against a bare walk of the same tree, and the main window's answers while
// the inventory runs. Rounds alternate so that cache warmth and other load fall on each alike.
//
//   inventory_bench.exe TREE [rounds]
//
// TREE is a folder tree on drive C:. Prints per-round medians and ratios, the time of the
// whole inventory of the tree, and the main window's slowest reply to WM_NULL with and
// without the inventory running.
#include "report/dir_search.h"
#include "report/inventory.h"
#include "report/wildcard.h"
#include "shell/main_window.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using tessaly::UniqueFindHandle;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// (a) One FindFirstFileW/FindNextFileW enumeration per folder; long names matched.
size_t BareWalk(const std::wstring& folder) {
    size_t count = 0;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data{};
    {
        const UniqueFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
        if (!find)
            return 0;
        do {
            const std::wstring_view name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                subfolders.push_back(folder + data.cFileName + L"\\");
            else if (tessaly::MatchesWildcard(L"*.exe", name))
                ++count;
        } while (::FindNextFileW(find.get(), &data));
    }
    for (const std::wstring& sub : subfolders)
        count += BareWalk(sub);
    return count;
}

// (c) Two enumerations per folder with an attribute query per entry, as the search was
// first written: one for the subfolders, one with the pattern for the files.
size_t TwoPassWalk(const std::wstring& folder) {
    size_t count = 0;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data{};
    {
        const UniqueFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
        if (find)
            do {
                const std::wstring_view name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const DWORD attributes = ::GetFileAttributesW((folder + data.cFileName).c_str());
                if (attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_DIRECTORY))
                    subfolders.push_back(folder + data.cFileName + L"\\");
            } while (::FindNextFileW(find.get(), &data));
    }
    {
        const UniqueFindHandle find(::FindFirstFileW((folder + L"*.exe").c_str(), &data));
        if (find)
            do {
                const DWORD attributes = ::GetFileAttributesW((folder + data.cFileName).c_str());
                if (attributes == INVALID_FILE_ATTRIBUTES ||
                    !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                    ++count;
            } while (::FindNextFileW(find.get(), &data));
    }
    for (const std::wstring& sub : subfolders)
        count += TwoPassWalk(sub);
    return count;
}

// The slowest reply to WM_NULL sent every 20 ms while `running` holds.
double WorstReply(HWND window, const std::function<bool()>& running) {
    double worst = 0;
    do {
        const auto sent = Clock::now();
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        worst = std::max(worst, Seconds(Clock::now() - sent));
        ::Sleep(20);
    } while (running());
    return worst;
}

HWND FindMainWindow(DWORD processId) {
    std::pair<DWORD, HWND> search{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& [id, found] = *reinterpret_cast<std::pair<DWORD, HWND>*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (owner == id && wcscmp(name, L"TessalyMainWindow") == 0)
                found = window;
            return found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

void SetState(const wchar_t* value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"software\\orvix\\tessaly", L"state", REG_SZ, value,
                      static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

// varnok shown, then minimised into the tray so it runs the inventory of drive C:.
void Responsiveness() {
    SetState(L"0");
    const std::wstring program = tessaly::ProgramFolder() + L"\\varnok.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        std::printf("varnok could not be started\n");
        return;
    }
    tessaly::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    HWND window = nullptr;
    for (int i = 0; i < 400 && !window; ++i, ::Sleep(50))
        window = FindMainWindow(info.dwProcessId);
    if (!window) {
        std::printf("no main window\n");
        return;
    }
    ::Sleep(3000); // start-up over
    const auto idleEnd = Clock::now() + std::chrono::seconds(5);
    const double idle = WorstReply(window, [&] { return Clock::now() < idleEnd; });
    const auto inventoryRunning = [&] {
        DWORD_PTR running = 0;
        ::SendMessageTimeoutW(window, tessaly::kQueryInventory, 0, 0, SMTO_NORMAL, 10000,
                              &running);
        return running != 0;
    };
    ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    for (int i = 0; i < 200 && !inventoryRunning(); ++i)
        ::Sleep(20);
    const auto started = Clock::now();
    const double busy = WorstReply(window, inventoryRunning);
    const double took = Seconds(Clock::now() - started);
    std::printf("varnok's inventory of drive C: %.2f s\n", took);
    std::printf("main window, worst reply to WM_NULL every 20 ms: idle %.1f ms, during the "
                "inventory %.1f ms (target <= 100 ms)\n",
                idle * 1000, busy * 1000);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.get(), 10000);
    SetState(L"1");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: inventory_bench TREE [rounds]\n");
        return 2;
    }
    std::wstring tree = argv[1];
    if (!tree.ends_with(L'\\'))
        tree += L'\\';
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    std::vector<double> bare, search, twoPass;
    size_t counts[3] = {};
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        counts[0] = BareWalk(tree);
        bare.push_back(Seconds(Clock::now() - start));

        tessaly::clsdirsearch walker(tessaly::ListFolder);
        start = Clock::now();
        walker.findfiles(tree, L"*.exe");
        search.push_back(Seconds(Clock::now() - start));
        counts[1] = walker.filesfound().size();

        start = Clock::now();
        counts[2] = TwoPassWalk(tree);
        twoPass.push_back(Seconds(Clock::now() - start));
        std::printf("round %d: bare %.3f s, findfiles %.3f s, two enumerations %.3f s\n",
                    round + 1, bare.back(), search.back(), twoPass.back());
        std::fflush(stdout);
    }
    const double a = Median(bare), b = Median(search), c = Median(twoPass);
    std::printf("\n*.exe found: bare %zu, findfiles %zu, two enumerations %zu (the short names "
                "of the two-enumeration walk match more)\n",
                counts[0], counts[1], counts[2]);
    std::printf("medians of %d rounds: (a) bare walk %.3f s, (b) findfiles %.3f s, (c) two "
                "enumerations %.3f s\n",
                rounds, a, b, c);
    std::printf("(b)/(a) = %.2f (target <= 1.15), (c)/(a) = %.2f\n\n", b / a, c / a);

    tessaly::Inventory inventory;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring out = temp;
    out.pop_back();
    const auto start = Clock::now();
    const auto outcome = inventory.RunInventory(tree, {out});
    std::printf("inventory of the tree (records read, file written): %.2f s, %zu records\n",
                Seconds(Clock::now() - start), outcome.records);
    ::DeleteFileW((out + L"\\a.txt").c_str());
    std::fflush(stdout);
    Responsiveness();
    return 0;
}
