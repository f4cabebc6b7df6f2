// The process list's rows: how a refresh turns the system's process table into rows, what
// it keeps between refreshes, and the order the rows are shown in. Pure.
#pragma once

#include "process/process_record.h"
#include "process/process_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

// What cannot change while a process lives: read once per process instance.
struct LastingFacts {
    std::wstring path;  // cleaned; empty when it could not be read
    int iconIndex = -1; // in the system image list
};

// Lasting facts by process instance (ID and creation time, so a reused ID is a new entry).
// The system lists processes in much the same order from one refresh to the next, so entries
// are kept in that order and a lookup first tries the entry after the last one found: a
// repeated refresh walks the cache front to back instead of hopping through a hash table.
class ProcessFactsCache {
public:
    // Finds an instance and marks it as seen in the current pass.
    const LastingFacts* Find(uint32_t processId, uint64_t creationTime);
    // The reference is valid until the next Store.
    const LastingFacts& Store(uint32_t processId, uint64_t creationTime, LastingFacts facts);
    // Forgets every instance not found or stored since the last call: processes that ended.
    void EndPass();
    size_t size() const { return entries_.size(); }

private:
    struct Key {
        uint32_t processId;
        uint64_t creationTime;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<uint64_t>()(k.creationTime * 0x9E3779B97F4A7C15ull ^ k.processId);
        }
    };
    struct Entry {
        Key key;
        LastingFacts facts;
        uint32_t pass = 0;
    };
    std::vector<Entry> entries_;
    std::unordered_map<Key, size_t, KeyHash> index_;
    size_t cursor_ = 0;
    size_t seen_ = 0;
    uint32_t pass_ = 0;
};

// Reads the lasting facts of one process (raw path, icon); called only for instances the
// cache does not know.
using FactsReader = std::function<LastingFacts(const ProcessRecord&)>;

// Rows for a fresh table: working set and thread count as the table has them, path and icon
// from the cache or the reader (paths cleaned with `systemRoot`). One pass over the table.
std::vector<ProcessRecord> ResolveRows(std::vector<ProcessRecord> table, ProcessFactsCache& cache,
                                       const FactsReader& read, std::wstring_view systemRoot);

struct SortState {
    ProcessColumn column = ProcessColumn::Name;
    bool descending = false;
};

// A click on `column`: the same column again turns the order round, another one sorts
// ascending.
SortState NextSortState(SortState current, ProcessColumn column);

// Numbers by value, texts without regard to case; equal keys keep their order.
void SortRows(std::vector<ProcessRecord>& rows, SortState state);
bool RowLess(const ProcessRecord& a, const ProcessRecord& b, ProcessColumn column);

// Index of the row of `processId`, or -1.
int RowOfProcess(const std::vector<ProcessRecord>& rows, uint32_t processId);

} // namespace tessaly
