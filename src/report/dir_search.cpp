#include "report/dir_search.h"

#include "report/wildcard.h"

#include <algorithm>

namespace tessaly {

void clsdirsearch::Cancel() {
    {
        std::lock_guard lock(pauseLock_);
        cancelled_ = true;
    }
    resumed_.notify_all();
}

void clsdirsearch::pause(bool value) {
    {
        std::lock_guard lock(pauseLock_);
        paused_ = value;
    }
    resumed_.notify_all();
}

void clsdirsearch::WaitWhilePaused() {
    std::unique_lock lock(pauseLock_);
    resumed_.wait(lock, [this] { return !paused_ || cancelled_; });
}

void clsdirsearch::findfiles(std::wstring_view path, std::wstring_view search) {
    filesfound_.clear();
    foundCount_ = 0;
    patterns_ = SplitPatterns(search);
    {
        std::lock_guard lock(pauseLock_);
        cancelled_ = false;
        paused_ = false;
    }
    // Folders still to visit, the next one last: depth first without recursion, so no tree
    // is too deep for the stack.
    std::vector<std::wstring> pending{std::wstring(path)};
    while (!pending.empty()) {
        WaitWhilePaused();
        if (cancelled_)
            return;
        std::wstring folder = std::move(pending.back());
        pending.pop_back();
        SearchFolder(folder, pending);
    }
}

void clsdirsearch::SearchFolder(const std::wstring& path, std::vector<std::wstring>& pending) {
    std::wstring folder = path;
    if (!folder.ends_with(L'\\'))
        folder += L'\\';
    if (searching)
        searching(folder);
    // One listing serves both the files and the subfolders.
    std::vector<DirEntry> entries;
    lister_(folder, [&](DirEntry&& entry) {
        entries.push_back(std::move(entry));
        return !cancelled_.load();
    });
    if (cancelled_)
        return;
    std::vector<bool> reported(entries.size(), false);
    for (const std::wstring& pattern : patterns_) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (reported[i] || entries[i].directory || !MatchesWildcard(pattern, entries[i].name))
                continue;
            if (paused_)
                WaitWhilePaused();
            if (cancelled_)
                return;
            reported[i] = true;
            filesfound_.push_back(folder + entries[i].name);
            ++foundCount_;
            if (found)
                found(folder, entries[i]);
        }
    }
    if (!subfolders_)
        return;
    const size_t first = pending.size();
    for (DirEntry& entry : entries)
        if (entry.directory && !entry.reparsePoint)
            pending.push_back(folder + entry.name);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
}

} // namespace tessaly
