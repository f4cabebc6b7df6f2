// The security check and the process lookup end to end: the real varnok.exe driven from outside
// against the real lookup server, with the browser replaced by a script that records what it is
// asked to open.
// end_to_end.sh starts the server and the recorder and says where they are:
//   TESSALY_TEST_SERVER   the server's address, given to varnok as its lookup server
//   TESSALY_TEST_BROWSER  the recording script (a Linux path), made Wine's browser
//   TESSALY_TEST_OPENED   the file it appends each address to (a Linux path)
//   TESSALY_TEST_DANGEROUS  the digest the server's verdict table marks dangerous (sleeper.exe's)
#include "scan/http_fetch.h"
#include "scan/lookup_text.h"
#include "scan/scan_resource.h"
#include "shell/varnok_driver.h"
#include "support/sleeper_process.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <regex>

namespace tessaly {
namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// A Linux path as Wine's Z: drive shows it.
std::wstring FromLinux(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path;
}

std::string ReadText(const std::wstring& path) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

// One REG_SZ value of the user's hive, put back as it was on the way out.
class UserValue {
public:
    UserValue(const wchar_t* subKey, const wchar_t* name, const std::wstring& data)
        : subKey_(subKey), name_(name) {
        wchar_t old[1024] = {};
        DWORD size = sizeof old;
        if (::RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_SZ, nullptr, old, &size) ==
            ERROR_SUCCESS)
            old_ = old;
        written_ = ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey, name, REG_SZ, data.c_str(),
                                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) ==
                   ERROR_SUCCESS;
    }
    ~UserValue() {
        if (old_)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey_, name_, REG_SZ, old_->c_str(),
                              static_cast<DWORD>((old_->size() + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, subKey_, name_);
    }
    bool Written() const { return written_; }

private:
    const wchar_t* subKey_;
    const wchar_t* name_;
    std::optional<std::wstring> old_;
    bool written_ = false;
};

// The addresses the recording browser was given, one a line, in the order given.
class OpenedAddresses {
public:
    explicit OpenedAddresses(std::wstring file) : file_(std::move(file)) {}
    // The next address; empty when none comes within 20 s.
    std::string Next() {
        std::vector<std::string> lines;
        WaitUntil(
            [&] {
                lines.clear();
                std::istringstream text(ReadText(file_));
                for (std::string line; std::getline(text, line);)
                    lines.push_back(line);
                return lines.size() > seen_;
            },
            20s);
        return lines.size() > seen_ ? lines[seen_++] : std::string();
    }
    // Nothing more was opened.
    bool NoneMore() {
        test::PumpFor(500);
        std::istringstream text(ReadText(file_));
        size_t count = 0;
        for (std::string line; std::getline(text, line);)
            ++count;
        return count == seen_;
    }

private:
    std::wstring file_;
    size_t seen_ = 0;
};

// The values of an address's query, %XX decoded (Wine's browser launcher already decodes).
std::map<std::string, std::string> QueryValues(const std::string& address) {
    std::map<std::string, std::string> values;
    std::istringstream query(address.substr(address.find('?') + 1));
    for (std::string pair; std::getline(query, pair, '&');) {
        std::string value;
        const size_t equals = std::min(pair.find('='), pair.size());
        for (size_t i = equals + 1; i < pair.size(); ++i) {
            if (pair[i] == '%' && i + 2 < pair.size() &&
                std::isxdigit(static_cast<unsigned char>(pair[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(pair[i + 2]))) {
                value += static_cast<char>(std::stoi(pair.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                value += pair[i];
            }
        }
        values[pair.substr(0, equals)] = value;
    }
    return values;
}

// Selects a row of another process's list view, as a click would: the item record lives in
// that process.
bool SelectListRow(HWND list, int row) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(list, &processId);
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
    if (!process)
        return false;
    void* remote = ::VirtualAllocEx(process.get(), nullptr, sizeof(LVITEMW),
                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return false;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    DWORD_PTR result = 0;
    const bool done =
        ::WriteProcessMemory(process.get(), remote, &item, sizeof item, nullptr) &&
        ::SendMessageTimeoutW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote),
                              SMTO_ABORTIFHUNG, 5000, &result) &&
        result;
    ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return done;
}

// One file's row of the report.
struct ReportRow {
    std::string md5, path;
    int verdict = -1, batch = 0;
};

std::vector<ReportRow> ReportRows(const std::string& page) {
    static const std::regex row(
        R"re(<tr class="file[^"]*" data-md5="([0-9A-F]*)" data-verdict="(\d)" data-batch="(\d+)">)re"
        R"re(.*?<td data-label="Path" class="path">([^<]*)</td>)re");
    std::vector<ReportRow> rows;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), row);
         it != std::sregex_iterator(); ++it) {
        std::string path = (*it)[4];
        for (size_t at; (at = path.find("&amp;")) != std::string::npos;)
            path.replace(at, 5, "&");
        rows.push_back({(*it)[1], path, std::stoi((*it)[2]), std::stoi((*it)[3])});
    }
    return rows;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A folder at the drive's root, which leaves the most room under MAX_PATH; removed at the end.
struct RootFolder {
    std::wstring path = L"C:\\tessaly-e2e-" + std::to_wstring(::GetCurrentProcessId());
    ~RootFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

class SecurityCheckEndToEnd : public ShellTest {};

TEST_F(SecurityCheckEndToEnd, ChecksEveryRunningFileOnceAndOpensTheReport) {
    const std::wstring server = Environment(L"TESSALY_TEST_SERVER");
    OpenedAddresses opened(FromLinux(Environment(L"TESSALY_TEST_OPENED")));
    const std::string dangerous = test::Narrow(Environment(L"TESSALY_TEST_DANGEROUS"));
    ASSERT_FALSE(server.empty()) << "run through end_to_end.sh";
    const UserValue lookup(L"software\\orvix\\tessaly\\lookup", L"server", server);
    const UserValue browser(L"Software\\Wine\\WineBrowser", L"Browsers",
                            Environment(L"TESSALY_TEST_BROWSER"));
    ASSERT_TRUE(lookup.Written() && browser.Written());
    SetState(L"1");

    // Ten running programs with long CJK paths (nine bytes a character once encoded), started
    // one after the other once a first copy has brought the modules they share, so that they
    // come in a row and one request carries five of them: more than the HTTP library's default
    // limit of 8 KiB. (Wine starts no program from a path over MAX_PATH.)
    const RootFolder scratch;
    std::wstring folder = scratch.path;
    for (wchar_t c : {L'\u6587', L'\u4EF6', L'\u5939'})
        folder += L"\\" + std::wstring(72, c);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // And one with a short path, whose lookup address carries its path whole.
    const std::wstring lookupPath = scratch.path + L"\\lookup.exe";
    ASSERT_TRUE(::CopyFileW(test::SleeperSource().c_str(), lookupPath.c_str(), FALSE));
    test::SleeperProcess lookupSleeper = test::SleeperProcess::Start(lookupPath);
    ASSERT_STARTED(lookupSleeper);
    std::vector<std::wstring> sleeperPaths = {lookupPath};
    std::vector<test::SleeperProcess> sleepers;
    for (int i = 0; i < 10; ++i) {
        sleeperPaths.push_back(folder + L"\\\u7A0B\u5E8F" + std::to_wstring(i) + L".exe");
        ASSERT_LT(sleeperPaths.back().size(), size_t{MAX_PATH});
        ASSERT_TRUE(::CopyFileW(test::SleeperSource().c_str(), sleeperPaths.back().c_str(), FALSE));
        sleepers.push_back(test::SleeperProcess::Start(sleeperPaths.back()));
        ASSERT_STARTED(sleepers.back());
    }

    Child varnok(kVarnok);
    const HWND main = StartVarnok(varnok);
    ASSERT_TRUE(main);
    const DWORD pid = varnok.Id();

    // "Read more about" a program opens its page with the fields of its own row.
    const HWND list = ::GetDlgItem(main, IDC_LSTPROCESSES);
    const auto lookUp = [&](DWORD processId) {
        int row = -1;
        WaitUntil(
            [&] {
                const auto cells = ListCells(list, 3);
                for (size_t i = 0; i < cells.size(); ++i)
                    if (_wtoi(cells[i][2].c_str()) == static_cast<int>(processId))
                        row = static_cast<int>(i);
                return row >= 0;
            },
            10s);
        if (row < 0 || !SelectListRow(list, row))
            return std::string();
        Click(main, IDM_AA_READ_MORE);
        return opened.Next();
    };
    const std::string page = lookUp(lookupSleeper.id());
    EXPECT_EQ(page.rfind(test::Narrow(server) + "info.asp?fname=", 0), 0u) << page;
    std::map<std::string, std::string> fields = QueryValues(page);
    EXPECT_EQ(fields["fname"], "lookup.exe");
    EXPECT_EQ(fields["sz"], std::to_string(std::filesystem::file_size(lookupPath)));
    EXPECT_EQ(fields["md"], dangerous);
    EXPECT_EQ(LowerAscii(fields["pth"]), LowerAscii(test::Narrow(lookupPath)));
    // One with a long path: its address is kept within what the shell takes (Wine's would end
    // varnok) by cutting the middle of the path; name, size and digest arrive whole.
    const std::wstring& longPath = sleeperPaths[4]; // sleepers[3]'s: the first path is lookup.exe's
    const std::string longPage = lookUp(sleepers[3].id());
    EXPECT_LE(longPage.size(), kMaxOpenAddress);
    fields = QueryValues(longPage);
    const std::string name = test::Narrow(longPath.substr(longPath.rfind(L'\\') + 1));
    EXPECT_EQ(fields["fname"], name);
    EXPECT_EQ(fields["sz"], std::to_string(std::filesystem::file_size(longPath)));
    EXPECT_EQ(fields["md"], dangerous);
    const std::string& path = fields["pth"];
    EXPECT_TRUE(path.ends_with("\\" + name)) << path;
    EXPECT_NE(path.find("\xE2\x80\xA6"), std::string::npos) << path; // "…"
    EXPECT_EQ(LowerAscii(path.substr(0, scratch.path.size())),
              LowerAscii(test::Narrow(scratch.path)));

    // The link under the list is the same lookup, of the row selected last.
    Click(main, IDC_FREELINK1);
    EXPECT_EQ(opened.Next(), longPage);
    // The home page is the lookup server's.
    Click(main, IDM_A3_HOME_PAGE);
    EXPECT_EQ(opened.Next(), test::Narrow(server));

    // A startup entry's lookup (b1) carries its name and size, no digest and no path.
    const UserValue entry(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          L"Tessaly lookup entry", L"\"" + lookupPath + L"\" /x");
    ASSERT_TRUE(entry.Written());
    Click(main, IDC_BTN_STARTUP_MONITOR);
    HWND startupList = nullptr; // made when first shown
    int entryRow = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!StartupListShown(main))
                return false;
            startupList = ::GetDlgItem(main, IDC_STARTUPLIST);
            const auto cells = ListCells(startupList, 1);
            for (size_t i = 0; i < cells.size(); ++i)
                if (cells[i][0] == L"Tessaly lookup entry")
                    entryRow = static_cast<int>(i);
            return entryRow >= 0;
        },
        20s));
    ASSERT_TRUE(SelectListRow(startupList, entryRow));
    Click(main, IDM_B1_READ_MORE);
    const std::string startupPage = opened.Next();
    EXPECT_EQ(startupPage.rfind(test::Narrow(server) + "info.asp?fname=lookup.exe&", 0), 0u)
        << startupPage;
    fields = QueryValues(startupPage);
    EXPECT_EQ(fields["sz"], std::to_string(std::filesystem::file_size(lookupPath)));
    EXPECT_EQ(fields["s"], "2");
    EXPECT_EQ(fields.count("md") + fields.count("pth"), 0u);
    Click(main, IDC_BTN_PROCESS_MONITOR);

    Click(main, IDC_BTN_CHECK_ALL_ONLINE);
    const HWND scan = WaitForOwned(pid, kDialogClass, L"Security Scan");
    ASSERT_TRUE(scan);
    EXPECT_FALSE(::IsWindowEnabled(main));

    // The first run finds the sleeper's digest in the verdict table.
    Click(scan, IDC_F6_COMMAND7);
    HWND box = WaitForOwned(pid, kDialogClass, L"Tessaly", 60s);
    ASSERT_TRUE(box);
    const std::wstring tail =
        L"\r\r To Read The Full Report Please Click --->\"See the results of Security check\" Link";
    EXPECT_EQ(MessageText(box), L"You have dangerous file running in your system" + tail);
    Click(box, IDOK);
    ASSERT_TRUE(Gone(box));

    // The report link opens the run's report in the browser.
    Click(scan, IDC_F6_FREELINK2);
    const std::string report = opened.Next();
    const std::string prefix = test::Narrow(server) + "scanresult.asp?sr=";
    ASSERT_TRUE(report.rfind(prefix, 0) == 0 &&
                std::regex_match(report.substr(prefix.size()), std::regex(R"(\d+-\d+)")))
        << report;

    // The server holds every running file once, in requests of five but the last.
    const FetchResult answer = HttpFetch().Get(std::wstring(report.begin(), report.end()));
    ASSERT_EQ(answer.status, 200u);
    const std::vector<ReportRow> rows = ReportRows(answer.body);
    ASSERT_GE(rows.size(), 10u);
    std::map<std::string, int> paths;
    std::map<int, size_t> perBatch;
    for (const ReportRow& row : rows) {
        ++paths[LowerAscii(row.path)];
        ++perBatch[row.batch];
        EXPECT_EQ(row.md5.size(), 32u) << row.path;
        EXPECT_EQ(row.verdict, row.md5 == dangerous ? 3 : 0) << row.path;
    }
    for (const auto& [path, count] : paths)
        EXPECT_EQ(count, 1) << path;
    for (const auto& [batch, count] : perBatch)
        EXPECT_EQ(count, batch == perBatch.rbegin()->first ? (rows.size() - 1) % 5 + 1 : 5u)
            << "request " << batch;
    EXPECT_EQ(perBatch.size(), (rows.size() + 4) / 5);
    const std::string ntdll = "c:\\windows\\system32\\ntdll.dll";
    EXPECT_EQ(paths.count(ntdll), 1u);
    std::vector<std::wstring> expected = sleeperPaths;
    expected.push_back(TestProgramFolder() + L"\\" + kVarnok);
    for (const std::wstring& file : expected)
        EXPECT_EQ(paths.count(LowerAscii(test::Narrow(file))), 1u) << test::Narrow(file);
    // The longest request, measured by the encoded paths that arrived in it.
    std::map<int, size_t> requestBytes;
    for (const ReportRow& row : rows)
        for (const char c : row.path)
            requestBytes[row.batch] += std::isalnum(static_cast<unsigned char>(c)) ? 1 : 3;
    size_t longest = 0;
    for (const auto& [batch, bytes] : requestBytes)
        longest = std::max(longest, bytes);
    EXPECT_GT(longest, 8192u);

    // Without the dangerous program the same window's next run finds nothing.
    for (test::SleeperProcess& sleeper : sleepers)
        ASSERT_TRUE(sleeper.Kill());
    ASSERT_TRUE(lookupSleeper.Kill());
    Click(scan, IDC_F6_COMMAND7);
    box = WaitForOwned(pid, kDialogClass, L"Tessaly", 60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageText(box), L"Your System process files are safe" + tail);
    Click(box, IDOK);
    ASSERT_TRUE(Gone(box));

    // A server that cannot be reached: the failure box, and no report link to open.
    const UserValue closedPort(L"software\\orvix\\tessaly\\lookup", L"server",
                               L"http://127.0.0.1:1/");
    Click(scan, IDC_F6_COMMAND7);
    box = WaitForOwned(pid, kDialogClass, L"Tessaly", 60s);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageText(box).rfind(L"The security check could not reach the lookup server.\r\r"
                                     L"No connection could be made",
                                     0),
              0u)
        << test::Narrow(MessageText(box));
    Click(box, IDOK);
    ASSERT_TRUE(Gone(box));
    Click(scan, IDC_F6_FREELINK2);
    EXPECT_TRUE(opened.NoneMore());

    Click(scan, IDC_F6_COMMAND1);
    ASSERT_TRUE(Gone(scan));
    EXPECT_TRUE(::IsWindowEnabled(main));
}

} // namespace
} // namespace tessaly
