#include "report/dir_search.h"
#include "report/log_text.h"
#include "report/wildcard.h"
#include "sysinfo/version_text.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace tessaly {
namespace {

TEST(MatchesWildcard, FollowsTheLongName) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* name;
        bool match;
    };
    const Case cases[] = {
        {L"*.exe", L"a.exe", true},
        {L"*.exe", L"A.EXE", true},
        {L"*.exe", L".exe", true},
        {L"*.exe", L"x.exe1", false}, // the short name X~1.EXE would match; the long one does not
        {L"*.exe", L"x.exec", false},
        {L"*.exe", L"x.exe.txt", false},
        {L"*.exe", L"x.exe.exe", true},
        {L"*.exe", L"exe", false},
        {L"a?c", L"abc", true},
        {L"a?c", L"ac", false},
        {L"*", L"anything", true},
        {L"*.*", L"noextension", true},
        {L"*.*", L"a.b", true},
        {L"tool.*", L"tool", true},
        {L"tool.*", L"tool.cfg", true},
        {L"tool.*", L"tools", false},
        {L"**a*b**", L"xxaxxbxx", true},
        {L"*a*a*a*a*b", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {L"", L"a.exe", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.match)
            << testing::PrintToString(std::wstring(c.pattern)) << " "
            << testing::PrintToString(std::wstring(c.name));
}

TEST(SplitPatterns, KeepsEmptyPieces) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitPatterns(L"*.exe"), V{L"*.exe"});
    EXPECT_EQ(SplitPatterns(L"*.exe|*.dll"), (V{L"*.exe", L"*.dll"}));
    EXPECT_EQ(SplitPatterns(L""), V{L""});
    EXPECT_EQ(SplitPatterns(L"|*.exe||"), (V{L"", L"*.exe", L"", L""}));
}

// A made-up tree: folder (with its closing backslash) to its entries in listing order.
struct FakeTree {
    std::map<std::wstring, std::vector<DirEntry>> folders;
    std::vector<std::wstring> listed;
    FolderLister Lister() {
        return [this](const std::wstring& folder, const std::function<bool(DirEntry &&)>& each) {
            listed.push_back(folder);
            const auto it = folders.find(folder);
            if (it == folders.end())
                return false;
            for (DirEntry entry : it->second)
                if (!each(std::move(entry)))
                    break;
            return true;
        };
    }
};

DirEntry File(const wchar_t* name) {
    return {name, false, false, 1};
}
DirEntry Dir(const wchar_t* name) {
    return {name, true, false, 0};
}
DirEntry Link(const wchar_t* name) {
    return {name, true, true, 0};
}

FakeTree SampleTree() {
    FakeTree tree;
    tree.folders[L"C:\\"] = {Dir(L"b"),      File(L"z.exe"), Dir(L"a"),    File(L"A.EXE"),
                             File(L"c.dll"), Link(L"loop"),  Dir(L"y.exe")};
    tree.folders[L"C:\\b\\"] = {File(L"b1.exe"), Dir(L"deep")};
    tree.folders[L"C:\\b\\deep\\"] = {File(L"d.exe")};
    tree.folders[L"C:\\a\\"] = {File(L"a1.exe"), File(L"x.exe1")};
    tree.folders[L"C:\\loop\\"] = {File(L"never.exe")};
    tree.folders[L"C:\\y.exe\\"] = {};
    return tree;
}

TEST(clsdirsearch, ReportsEachFileOncePatternByPatternThenSubfoldersDepthFirst) {
    struct Case {
        const wchar_t* search;
        bool subfolders;
        std::vector<std::wstring> found;
    };
    const Case cases[] = {
        {L"*.exe",
         true,
         {L"C:\\z.exe", L"C:\\A.EXE", L"C:\\b\\b1.exe", L"C:\\b\\deep\\d.exe", L"C:\\a\\a1.exe"}},
        // A file matched by a second pattern is not reported again; a folder named y.exe
        // is never a match.
        {L"*.dll|*.EXE|a*",
         true,
         {L"C:\\c.dll", L"C:\\z.exe", L"C:\\A.EXE", L"C:\\b\\b1.exe", L"C:\\b\\deep\\d.exe",
          L"C:\\a\\a1.exe"}},
        {L"*.exe", false, {L"C:\\z.exe", L"C:\\A.EXE"}},
        {L"|", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.search)));
        FakeTree tree = SampleTree();
        clsdirsearch search(tree.Lister());
        EXPECT_TRUE(search.searchinsubfolders());
        search.searchinsubfolders(c.subfolders);
        std::vector<std::wstring> events, entered;
        search.found = [&](const std::wstring& folder, const DirEntry& file) {
            events.push_back(folder + file.name);
        };
        search.searching = [&](const std::wstring& folder) { entered.push_back(folder); };
        search.findfiles(L"C:", c.search); // "C:" is searched from "C:\"
        EXPECT_EQ(events, c.found);
        EXPECT_EQ(search.filesfound(), c.found);
        EXPECT_EQ(search.FoundCount(), c.found.size());
        // Every folder is listed once, and links are not followed.
        const std::vector<std::wstring> all{L"C:\\", L"C:\\b\\", L"C:\\b\\deep\\", L"C:\\a\\",
                                            L"C:\\y.exe\\"};
        EXPECT_EQ(entered, c.subfolders ? all : std::vector<std::wstring>{L"C:\\"});
        EXPECT_EQ(tree.listed, entered);
    }
}

TEST(clsdirsearch, PassesOverFoldersThatCannotBeListed) {
    FakeTree tree = SampleTree();
    tree.folders.erase(L"C:\\b\\");
    clsdirsearch search(tree.Lister());
    search.findfiles(L"C:\\", L"*.exe");
    EXPECT_EQ(search.filesfound(),
              (std::vector<std::wstring>{L"C:\\z.exe", L"C:\\A.EXE", L"C:\\a\\a1.exe"}));
}

TEST(clsdirsearch, CancelStopsTheWalkAndKeepsWhatWasFound) {
    FakeTree tree = SampleTree();
    clsdirsearch search(tree.Lister());
    search.found = [&](const std::wstring&, const DirEntry& file) {
        if (file.name == L"b1.exe")
            search.Cancel();
    };
    search.findfiles(L"C:", L"*.exe");
    EXPECT_TRUE(search.Cancelled());
    EXPECT_EQ(search.filesfound(),
              (std::vector<std::wstring>{L"C:\\z.exe", L"C:\\A.EXE", L"C:\\b\\b1.exe"}));
    EXPECT_EQ(tree.listed.size(), 2u); // no folder after the cancel was listed

    // The next search starts afresh.
    search.found = nullptr;
    search.findfiles(L"C:\\b\\deep", L"*.exe");
    EXPECT_FALSE(search.Cancelled());
    EXPECT_EQ(search.filesfound(), std::vector<std::wstring>{L"C:\\b\\deep\\d.exe"});
}

TEST(clsdirsearch, PauseHoldsTheWalkUntilResumedOrCancelled) {
    for (const bool resume : {true, false}) {
        FakeTree tree = SampleTree();
        clsdirsearch search(tree.Lister());
        std::atomic<bool> pausedAtFirst{false};
        search.found = [&](const std::wstring&, const DirEntry& file) {
            if (file.name == L"z.exe") {
                search.pause(true);
                pausedAtFirst = true;
            }
        };
        std::thread walker([&] { search.findfiles(L"C:", L"*.exe"); });
        while (!pausedAtFirst)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(search.FoundCount(), 1u); // held after the first file
        if (resume)
            search.pause(false);
        else
            search.Cancel();
        walker.join();
        EXPECT_EQ(search.FoundCount(), resume ? 5u : 1u);
    }
}

TEST(LogFileText, WritesTheHeaderAndOnePathPerRow) {
    LogFacts facts;
    facts.version = L"2.1.98";
    facts.time = L"01:07:09 PM";
    facts.date = L"Monday, December 7, 2026";
    facts.winName = L"Windows XP ";
    facts.winVersion = L"5.1 (Build 2600)";
    facts.ieVersion = L"Internet Explorer 6.0.2900";
    const std::wstring header = L"Logfile saved using tessaly 2.1.98\r\n"
                                L"Scan saved at: 01:07:09 PM[Monday, December 7, 2026]\r\n"
                                L"Platform: Windows XP [5.1 (Build 2600)]\r\n"
                                L"MSIE: Internet Explorer 6.0.2900\r\n"
                                L"\r\n"
                                L"[Running processes]\r\n";
    EXPECT_EQ(LogFileText(facts), header); // no rows: the log ends after the heading
    facts.paths = {L"c:\\windows\\system32\\smss.exe", L"", L"c:\\\u6f22\u5b57\\b.exe"};
    EXPECT_EQ(LogFileText(facts),
              header + L"c:\\windows\\system32\\smss.exe\r\n\r\nc:\\\u6f22\u5b57\\b.exe\r\n");
}

TEST(TwelveHourTime, CountsTwelveThenOneToEleven) {
    struct Case {
        int h, m, s;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, 5, 0, L"12:05:00 AM"},    {13, 7, 9, L"01:07:09 PM"}, {12, 0, 0, L"12:00:00 PM"},
        {11, 59, 59, L"11:59:59 AM"}, {23, 1, 2, L"11:01:02 PM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TwelveHourTime(c.h, c.m, c.s, L"AM", L"PM"), c.text);
    EXPECT_EQ(TwelveHourTime(9, 3, 4, L"", L""), L"09:03:04");
    EXPECT_EQ(TwelveHourTime(21, 3, 4, L"\u5348\u524d", L"\u5348\u5f8c"), L"09:03:04 \u5348\u5f8c");
}

TEST(LogFileTarget, NamesTheLogByTheDateOnlyForABareTxt) {
    struct Case {
        const wchar_t* chosen;
        const wchar_t* date;
        const wchar_t* path;
        bool dateName;
    };
    const Case cases[] = {
        {L"", L"12/7/2026", L"", false}, // cancelled
        {L"   ", L"12/7/2026", L"", false},
        {L"C:\\logs\\.txt", L"12/7/2026", L"C:\\logs\\12-7-2026.txt", true},
        {L"C:\\logs\\ .TXT ", L"07.12.2026", L"C:\\logs\\07.12.2026.txt", true},
        {L"C:\\logs\\.txt", L"2026:12:07*?\"<>|\t", L"C:\\logs\\2026-12-07-------.txt", true},
        {L"C:\\logs\\run", L"12/7/2026", L"C:\\logs\\run", false}, // no extension added
        {L"C:\\logs\\a.txt", L"12/7/2026", L"C:\\logs\\a.txt", false},
        {L"C:\\logs\\x.txt.txt", L"12/7/2026", L"C:\\logs\\x.txt.txt", false},
    };
    for (const Case& c : cases) {
        const LogTarget target = LogFileTarget(c.chosen, c.date);
        EXPECT_EQ(target.path, c.path) << testing::PrintToString(std::wstring(c.chosen));
        EXPECT_EQ(target.dateName, c.dateName);
    }
}

TEST(VersionTexts, LeaveOutTheThirdNumberOrBoth) {
    EXPECT_EQ(LogVersionText(2, 1, 98), L"2.1.98");
    EXPECT_EQ(AboutVersionText(2, 1), L"2.1");
    EXPECT_EQ(LogVersionText(1, 0, 0), L"1.0.0");
    EXPECT_EQ(AboutVersionText(1, 0), L"1.0");
}

} // namespace
} // namespace tessaly
