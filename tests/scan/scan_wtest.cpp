// The security check against the real system under Wine: digests of real files, the volume
// and folder probes, WinHTTP against a loopback server that misbehaves on request, the list
// of running files, and the scan window driven as a user drives it.
#include "scan/scan_logic.h"

#include "scan/test_http_server.h"

#include "common/text.h"
#include "scan/http_fetch.h"
#include "scan/identity.h"
#include "scan/md5.h"
#include "scan/running_files.h"
#include "scan/scan_resource.h"
#include "scan/scan_window.h"
#include "settings/setting_names.h"
#include "support/accessible_reader.h"
#include "support/sleeper_process.h"
#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace tessaly {
namespace {

using test::Narrow;

std::string Content(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(((i * 131 + 7) >> 3) & 0xFF);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFileHandle out(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(out && ::WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &written, nullptr))
        << Narrow(path);
}

class Scan : public ::testing::Test {
protected:
    test::ScratchFolder scratch_{L"tessaly scan"};
    std::wstring File(const std::wstring& name) const { return scratch_.path() + L"\\" + name; }
};

TEST_F(Scan, DigestsMatchMd5sumAtEveryBlockEdge) {
    // Pinned from md5sum on the same bytes.
    const std::pair<size_t, const wchar_t*> sized[] = {
        {0, L"D41D8CD98F00B204E9800998ECF8427E"},
        {1, L"93B885ADFE0DA089CDF634904FD59F71"},
        {1023, L"147CBDB8D02413E86DB5B894F549784F"},
        {1024, L"ACE8B1E6422EEF32FDD1C5BD18B3D2A8"},
        {1025, L"373C6B91A765EE70B97C756471884499"},
        {2048, L"087FEE6F5838D7B3E3B940695608E750"},
        {3 * 1024 * 1024 + 1, L"440E6DE70A3FC4FCF77F840717A4BC18"},
    };
    for (const auto& [size, digest] : sized) {
        const std::wstring path = File(L"sized" + std::to_wstring(size));
        WriteBytes(path, Content(size));
        for (int block : {1024, kHashBlockSize})
            EXPECT_EQ(GetFileMD5HashCode(path, block), digest) << size << " bytes by " << block;
    }
    const std::pair<const char*, const wchar_t*> rfc1321[] = {
        {"a", L"0CC175B9C0F1B6A831C399E269772661"},
        {"abc", L"900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", L"F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", L"C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         L"D174AB98D277D9F5A5611C2C9F419D9F"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         L"57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [text, digest] : rfc1321) {
        const std::wstring path = File(L"rfc");
        WriteBytes(path, text);
        EXPECT_EQ(GetFileMD5HashCode(path, 1024), digest) << text;
    }
}

TEST_F(Scan, FilesInUseAreReadAndUnreadableOnesHaveNoDigest) {
    const std::wstring writing = File(L"held for writing.bin");
    WriteBytes(writing, "abc");
    {
        const UniqueFileHandle held(::CreateFileW(writing.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(GetFileMD5HashCode(writing, 1024), L"900150983CD24FB0D6963F7D28E17F72");
    }
    const std::wstring unshared = File(L"unshared.bin");
    WriteBytes(unshared, "abc");
    const UniqueFileHandle locked(
        ::CreateFileW(unshared.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_EQ(GetFileMD5HashCode(unshared, 1024), L"");
    EXPECT_EQ(GetFileMD5HashCode(File(L"missing.bin"), 1024), L"");
    // A long path is read whole.
    std::wstring deep = scratch_.path();
    for (int i = 0; i < 6; ++i) {
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
        ::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr);
    }
    const std::wstring longFile = deep + L"\\\u65E5\u672C.bin";
    ASSERT_GT(longFile.size(), static_cast<size_t>(MAX_PATH));
    {
        const UniqueFileHandle out(::CreateFileW((L"\\\\?\\" + longFile).c_str(), GENERIC_WRITE, 0,
                                                 nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(out && ::WriteFile(out.get(), "a", 1, &written, nullptr));
    }
    EXPECT_EQ(GetFileMD5HashCode(longFile, 1024), L"0CC175B9C0F1B6A831C399E269772661");
}

TEST_F(Scan, AProfileWithoutKeyContainerStillHashes) {
    // Wine keeps the provider's key containers here; a fresh profile has none.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\Crypto");
    const std::wstring path = File(L"fresh.bin");
    WriteBytes(path, "abc");
    EXPECT_EQ(GetFileMD5HashCode(path, 1024), L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(LastHashError().number, 0);
}

TEST(Identity, ProbesAgreeWithTheSystem) {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(GetWindowsDir(), windows);
    DWORD serial = 0;
    ASSERT_TRUE(
        ::GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(SerNum(L"C"), static_cast<int32_t>(serial));
    EXPECT_EQ(SerNum(L""), 0);
    EXPECT_EQ(SerNum(L"Q"), 0);
    const std::wstring key = RunScanKey(86399);
    EXPECT_EQ(key, ScanKey(static_cast<int32_t>(serial), 86399));
    EXPECT_LT(SecondsSinceMidnight(), 86400u);
}

TEST(Http, ReportsEachKindOfFailure) {
    std::map<std::string, test::HttpAnswer> answers = {
        {"/ok", {200, "<html><body>a1:b0</body></html>"}},
        {"/error", {500, "boom"}},
        {"/big", {200, std::string(2 << 20, 'x')}},
        {"/busy", {429, "", "Retry-After: 7\r\n"}},
    };
    test::TestHttpServer server([&](const std::string& target) { return answers[target]; });
    HttpFetch fetch;
    const std::wstring base = server.Base();

    FetchResult r = fetch.Get(base + L"ok");
    EXPECT_EQ(r.error, FetchError::None);
    EXPECT_EQ(r.status, 200u);
    EXPECT_EQ(ResponseBody(r.body), "a1:b0");

    r = fetch.Get(base + L"error");
    EXPECT_EQ(r.error, FetchError::Status);
    EXPECT_EQ(r.status, 500u);

    r = fetch.Get(base + L"big");
    EXPECT_EQ(r.error, FetchError::TooLarge);

    r = fetch.Get(base + L"busy");
    EXPECT_EQ(r.status, 429u);
    EXPECT_EQ(r.retryAfter.value_or(L""), L"7");

    // A port nobody listens on: the server's own port once it is gone.
    int closedPort = 0;
    {
        test::TestHttpServer gone([](const std::string&) { return test::HttpAnswer{}; });
        closedPort = gone.port();
    }
    r = fetch.Get(L"http://127.0.0.1:" + std::to_wstring(closedPort) + L"/x");
    EXPECT_EQ(r.error, FetchError::Connect);
    EXPECT_EQ(fetch.Get(L"ftp://127.0.0.1/").error, FetchError::BadAddress);
}

TEST(Http, AServerThatNeverAnswersRunsOutOfTime) {
    test::TestHttpServer server([](const std::string&) {
        test::HttpAnswer silent;
        silent.silent = true;
        return silent;
    });
    HttpFetch fetch(1000, 1000);
    const auto start = std::chrono::steady_clock::now();
    const FetchResult r = fetch.Get(server.Base() + L"x");
    EXPECT_EQ(r.error, FetchError::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Scan, RunningFilesListEveryModuleOnceAcrossProcesses) {
    // Sixty modules in this process and two copies of one program: every module listed, and
    // the modules the copies share listed once.
    const std::wstring source = test::TestProgramFolder() + L"\\filler_module.dll";
    std::vector<HMODULE> loaded;
    std::vector<std::wstring> fillers;
    for (int i = 0; i < 60; ++i) {
        const std::wstring copy = File(L"filler" + std::to_wstring(i) + L".dll");
        ASSERT_TRUE(::CopyFileW(source.c_str(), copy.c_str(), FALSE));
        loaded.push_back(::LoadLibraryW(copy.c_str()));
        ASSERT_NE(loaded.back(), nullptr);
        fillers.push_back(copy);
    }
    const std::wstring first = scratch_.PlaceSleeper(L"one\\" + test::Unique(L"scansleep"));
    const std::wstring second = scratch_.PlaceSleeper(L"two\\" + test::Unique(L"scansleep"));
    auto a = test::SleeperProcess::Start(first);
    auto b = test::SleeperProcess::Start(second);
    ASSERT_STARTED(a);
    ASSERT_STARTED(b);

    const std::vector<std::wstring> files = RunningFiles();
    for (HMODULE module : loaded)
        ::FreeLibrary(module);

    const auto count = [&](const std::wstring& path) {
        return std::count_if(files.begin(), files.end(),
                             [&](const std::wstring& f) { return test::SameName(f, path); });
    };
    for (const std::wstring& filler : fillers)
        EXPECT_EQ(count(filler), 1) << Narrow(filler);
    EXPECT_EQ(count(first), 1);
    EXPECT_EQ(count(second), 1);
    EXPECT_EQ(count(ModulePath()), 1);
    wchar_t kernel[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"kernel32.dll"), kernel, MAX_PATH);
    EXPECT_EQ(count(kernel), 1);
    DistinctFiles check;
    for (const std::wstring& f : files)
        EXPECT_TRUE(check.Add(f)) << Narrow(f) << " is listed twice";
}

// Presses OK on every message box titled "Tessaly" this process shows, keeping their texts.
class BoxWatcher {
public:
    BoxWatcher() {
        thread_ = std::thread([this] {
            while (!stop_) {
                if (HWND box = FindBox()) {
                    const HWND text = ::GetDlgItem(box, 0xFFFF);
                    {
                        std::lock_guard lock(mutex_);
                        texts_.push_back(WindowText(text));
                    }
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    while (::IsWindow(box) && !stop_)
                        ::Sleep(20);
                }
                ::Sleep(20);
            }
        });
    }
    ~BoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> Texts() {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    static HWND FindBox() {
        HWND found = nullptr;
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                wchar_t cls[16] = {};
                ::GetClassNameW(window, cls, 16);
                if (pid == ::GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
                    WindowText(window) == L"Tessaly" && ::IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(param) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::wstring> texts_;
};

// What a scan request carried: the records of its "files" value.
std::vector<std::string> RecordsOf(const std::string& target) {
    const size_t start = target.find("files=") + 6;
    std::string value = target.substr(start, target.find('&', start) - start);
    std::string decoded;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            decoded += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += value[i];
        }
    }
    std::vector<std::string> records;
    size_t at = 0;
    for (size_t bar; (bar = decoded.find('|', at)) != std::string::npos; at = bar + 1)
        records.push_back(decoded.substr(at, bar - at));
    return records;
}

class ScanWindowTest : public Scan {
protected:
    void SetUp() override {
        test::InitMainWindowControls();
        owner_ = test::MakePlainWindow(L"scan owner", WS_OVERLAPPEDWINDOW, 50, 50, 400, 300);
        for (int i = 0; i < 12; ++i) {
            const std::wstring path = File(L"file&" + std::to_wstring(i) + L"[x].bin");
            WriteBytes(path, Content(static_cast<size_t>(i) * 100));
            files_.push_back(path);
        }
    }
    void TearDown() override {
        window_.reset();
        ::DestroyWindow(owner_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, settings::kLookupKey);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, settings::kLookupKey);
    }
    void PointAt(const test::TestHttpServer& server) {
        ASSERT_EQ(settings_.Write(settings::kLookupKey, settings::kLookupServer, server.Base()),
                  SettingsStore::Stored::Machine);
    }
    void Open() {
        window_ = std::make_unique<ScanWindow>(settings_);
        window_->Files = [this] { return files_; };
        ASSERT_TRUE(window_->Show(owner_));
    }
    bool RunToEnd(DWORD ms = 30000) {
        window_->StartCheck();
        return test::PumpUntil([&] { return window_->State() == ScanState::Done; }, ms);
    }
    HWND Item(int id) const { return ::GetDlgItem(window_->hwnd(), id); }
    bool Shown(int id) const { return ::IsWindowVisible(Item(id)); }
    // The progress bar as a screen reader reads it: "NN%", empty when hidden.
    std::wstring Progress() const {
        const test::AccessibleReader bar(Item(IDC_F6_PB1));
        return bar.object && bar.Role() == ROLE_SYSTEM_PROGRESSBAR && Shown(IDC_F6_PB1)
                   ? bar.Value()
                   : L"";
    }

    SettingsStore settings_;
    HWND owner_ = nullptr;
    std::vector<std::wstring> files_;
    std::unique_ptr<ScanWindow> window_;
};

TEST_F(ScanWindowTest, SendsEachFileOnceInFivesAndReportsTheVerdict) {
    int run = 1;
    test::TestHttpServer server([&](const std::string& target) {
        if (target.find("prox.asp") == std::string::npos)
            return test::HttpAnswer{404};
        // The first run finds a dangerous file in its second batch; later runs find none.
        return test::HttpAnswer{200, run == 1 && target.find("file%26"
                                                             "5") != std::string::npos
                                         ? "<html><body>a=0:b=3\r\n:c=0:d=0:e=0</body></html>"
                                         : "<html><body>a=0:b=0:c=6:d=0:e=0</body></html>"};
    });
    PointAt(server);
    BoxWatcher boxes;
    Open();
    EXPECT_FALSE(::IsWindowEnabled(owner_));
    EXPECT_EQ(WindowText(window_->hwnd()), L"Security Scan");
    EXPECT_FALSE(Shown(IDC_F6_FREELINK2));
    EXPECT_FALSE(Shown(IDC_F6_PB1));
    // The privacy link is a link to screen readers and the next Tab stop after "Close".
    {
        const test::AccessibleReader privacy(Item(IDC_F6_FREELINK1));
        ASSERT_TRUE(privacy.object);
        EXPECT_EQ(privacy.Role(), ROLE_SYSTEM_LINK);
        EXPECT_EQ(privacy.Name(), L"The Security check sends info about the files to server. "
                                  L"click to read our privacy policy");
        EXPECT_EQ(::GetNextDlgTabItem(window_->hwnd(), Item(IDC_F6_COMMAND1), FALSE),
                  Item(IDC_F6_FREELINK1));
    }

    ASSERT_TRUE(RunToEnd());
    const std::vector<std::string> targets = server.Targets();
    ASSERT_EQ(targets.size(), 3u);
    const size_t sizes[] = {5, 5, 2};
    std::vector<std::string> sent;
    for (size_t i = 0; i < 3; ++i) {
        const auto records = RecordsOf(targets[i]);
        EXPECT_EQ(records.size(), sizes[i]) << targets[i];
        sent.insert(sent.end(), records.begin(), records.end());
        EXPECT_NE(targets[i].find("&p=5&s=2&sn="), std::string::npos);
    }
    ASSERT_EQ(sent.size(), 12u);
    // name<company<product<version<size<path<digest<system; the name keeps its "&".
    EXPECT_EQ(sent[1].substr(0, sent[1].find('<')), "file&1[x].bin");
    EXPECT_NE(sent[1].find("<unknown company<unknown product<<100<"), std::string::npos);
    EXPECT_NE(sent[1].find("file 1x].bin<"), std::string::npos) << sent[1];
    EXPECT_EQ(sent[0].find("<D41D8CD98F00B204E9800998ECF8427E<") != std::string::npos, true);
    EXPECT_TRUE(Shown(IDC_F6_FREELINK2));
    EXPECT_FALSE(Shown(IDC_F6_PB1));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window_->hwnd(), IDC_F6_COMMAND7)));
    const std::string key = targets[0].substr(targets[0].find("sn=") + 3);
    EXPECT_EQ(window_->ResultAddress(),
              server.Base() + L"scanresult.asp?sr=" + std::wstring(key.begin(), key.end()));
    // The report link now leads there.
    {
        const test::AccessibleReader report(Item(IDC_F6_FREELINK2));
        ASSERT_TRUE(report.object);
        EXPECT_EQ(report.Name(), L"See the results of Security check");
        EXPECT_EQ(report.Value(), window_->ResultAddress());
    }

    // The same window, again: every file is checked anew.
    run = 2;
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(server.Targets().size(), 6u);
    ASSERT_TRUE(test::PumpUntil([&] { return boxes.Texts().size() == 2; }, 5000));
    const auto texts = boxes.Texts();
    EXPECT_EQ(texts[0].substr(0, 46), L"You have dangerous file running in your system");
    EXPECT_EQ(texts[1].substr(0, 34), L"Your System process files are safe");

    window_->Close();
    EXPECT_TRUE(::IsWindowEnabled(owner_));
}

TEST_F(ScanWindowTest, ABusyServerIsAskedAgainAndADeadOneReported) {
    int calls = 0;
    test::TestHttpServer server([&](const std::string&) {
        return ++calls == 1 ? test::HttpAnswer{429, "", "Retry-After: 1\r\n"}
                            : test::HttpAnswer{200, "<body>a0</body>"};
    });
    PointAt(server);
    BoxWatcher boxes;
    files_.resize(3);
    Open();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(server.Targets().size(), 2u);
    EXPECT_EQ(server.Targets()[0], server.Targets()[1]);

    // Nobody listens any more.
    int closedPort = 0;
    {
        test::TestHttpServer gone([](const std::string&) { return test::HttpAnswer{}; });
        closedPort = gone.port();
    }
    settings_.Write(settings::kLookupKey, settings::kLookupServer,
                    L"http://127.0.0.1:" + std::to_wstring(closedPort));
    ASSERT_TRUE(RunToEnd());
    EXPECT_FALSE(Shown(IDC_F6_FREELINK2)); // nothing of this run reached the server
    ASSERT_TRUE(test::PumpUntil([&] { return boxes.Texts().size() == 2; }, 5000));
    EXPECT_EQ(boxes.Texts()[1].substr(0, 55),
              L"The security check could not reach the lookup server.\r\r");
    EXPECT_NE(boxes.Texts()[1].find(L". Your files were not checked; please try again later."),
              std::wstring::npos);
}

TEST_F(ScanWindowTest, ClosingMidRunEndsItAtOnceWithoutABox) {
    test::TestHttpServer server([](const std::string&) {
        test::HttpAnswer silent;
        silent.silent = true;
        return silent;
    });
    PointAt(server);
    BoxWatcher boxes;
    Open();
    window_->StartCheck();
    ASSERT_TRUE(test::PumpUntil([&] { return server.Targets().size() == 1; }, 20000));
    // Held at the fifth of twelve files (index 4 of 0-11) while the server keeps silent.
    EXPECT_TRUE(test::PumpUntil([&] { return Progress() == L"36%"; }, 5000)) << Narrow(Progress());
    const auto start = std::chrono::steady_clock::now();
    ::SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0); // the close box
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(window_->hwnd(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner_));
    test::PumpFor(300);
    EXPECT_TRUE(boxes.Texts().empty());
}

} // namespace
} // namespace tessaly
