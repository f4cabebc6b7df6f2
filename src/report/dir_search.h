// clsdirsearch: walks a folder tree and reports every file whose name matches one of a set of
// patterns. Pure: the folders are read through a lister the caller supplies (the system's on
// Windows, a made-up tree in tests). Meant to run on a worker thread; Cancel and pause may be
// called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct DirEntry {
    std::wstring name;         // the long name
    bool directory = false;    // a folder
    bool reparsePoint = false; // a junction, symbolic link or other redirection
    uint64_t size = 0;         // of a file, in bytes, as listed
};

// Lists one folder (given with its closing backslash): `each` is called for every entry other
// than "." and "..", in the order the file system gives them, until it returns false. Returns
// false when the folder cannot be listed.
using FolderLister =
    std::function<bool(const std::wstring& folder, const std::function<bool(DirEntry&&)>& each)>;

class clsdirsearch {
public:
    explicit clsdirsearch(FolderLister lister) : lister_(std::move(lister)) {}
    clsdirsearch(const clsdirsearch&) = delete;
    clsdirsearch& operator=(const clsdirsearch&) = delete;

    // Searches `path` ("C:" means "C:\") for names matching any of the "|"-separated patterns
    // of `search`. A folder's own matches come first, pattern by pattern, each file once; then
    // its subfolders, depth first in the order listed. Folders that redirect elsewhere are not
    // entered: a link to an ancestor would never end, and a linked folder would be listed
    // twice. Returns when the walk is done or cancelled.
    void findfiles(std::wstring_view path, std::wstring_view search);

    // Stops a running search at its next entry; what was reported stays in filesfound.
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }

    bool pause() const { return paused_.load(); }
    void pause(bool value);

    bool searchinsubfolders() const { return subfolders_; }
    void searchinsubfolders(bool value) { subfolders_ = value; }

    // Full path of every file reported by the current or last search, in order. Read it from
    // the searching thread or after findfiles returned; FoundCount may be read at any time.
    const std::vector<std::wstring>& filesfound() const { return filesfound_; }
    size_t FoundCount() const { return foundCount_.load(); }

    std::function<void(const std::wstring& folder)> searching;
    // folder ends with "\"; folder + file.name is the full path.
    std::function<void(const std::wstring& folder, const DirEntry& file)> found;

private:
    void SearchFolder(const std::wstring& folder, std::vector<std::wstring>& pending);
    void WaitWhilePaused();

    FolderLister lister_;
    bool subfolders_ = true;
    std::vector<std::wstring> patterns_;
    std::vector<std::wstring> filesfound_;
    std::atomic<size_t> foundCount_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> paused_{false};
    std::mutex pauseLock_;
    std::condition_variable resumed_;
};

} // namespace tessaly
