// The one-time inventory of program files: every "*.exe" on the Windows drive, one
// FoundFileRecord each, written to "a.txt". Runs on a worker thread; Cancel may come from any.
#pragma once

#include <windows.h>

#include "report/dir_search.h"

#include <atomic>
#include <string>
#include <vector>

namespace tessaly {

// Lists one folder through the system: one enumeration, long names, any path length.
bool ListFolder(const std::wstring& folder, const std::function<bool(DirEntry&&)>& each);

// Writes the records, each ending CR CR LF, to "a.txt" in the first of `folders` that takes
// it. Returns the path written, or empty when no folder took it.
std::wstring WriteInventoryFile(const std::vector<std::wstring>& folders,
                                const std::vector<std::wstring>& List3);

class Inventory {
public:
    Inventory();

    struct Outcome {
        bool cancelled = false;
        std::wstring writtenTo; // empty when the file could not be written anywhere
        size_t records = 0;
    };
    // Walks `root` (for example "C:") and writes the file into the first folder of `folders`
    // that takes it. Nothing is written when cancelled.
    Outcome RunInventory(const std::wstring& root, const std::vector<std::wstring>& folders);

    // Holds for this inventory and any later one: the walk stops, nothing is written.
    void Cancel() {
        cancelled_ = true;
        search_.Cancel();
    }
    size_t RecordCount() const { return records_.load(); }

private:
    void search_found(const std::wstring& folder, const DirEntry& file);

    clsdirsearch search_;
    std::vector<std::wstring> List3;
    std::atomic<size_t> records_{0};
    std::atomic<bool> cancelled_{false};
};

// The drive of the Windows folder, for example "C:".
std::wstring WindowsDrive();

} // namespace tessaly
