#include "process/process_list.h"

#include "common/text.h"

#include <algorithm>

namespace tessaly {

const LastingFacts* ProcessFactsCache::Find(uint32_t processId, uint64_t creationTime) {
    const Key key{processId, creationTime};
    size_t at = cursor_;
    if (at >= entries_.size() || !(entries_[at].key == key)) {
        const auto it = index_.find(key);
        if (it == index_.end())
            return nullptr;
        at = it->second;
    }
    cursor_ = at + 1;
    Entry& entry = entries_[at];
    if (entry.pass != pass_) {
        entry.pass = pass_;
        ++seen_;
    }
    return &entry.facts;
}

const LastingFacts& ProcessFactsCache::Store(uint32_t processId, uint64_t creationTime,
                                             LastingFacts facts) {
    const Key key{processId, creationTime};
    if (const auto it = index_.find(key); it != index_.end()) {
        Entry& entry = entries_[it->second];
        entry.facts = std::move(facts);
        if (entry.pass != pass_) {
            entry.pass = pass_;
            ++seen_;
        }
        return entry.facts;
    }
    index_.emplace(key, entries_.size());
    entries_.push_back({key, std::move(facts), pass_});
    ++seen_;
    return entries_.back().facts;
}

void ProcessFactsCache::EndPass() {
    if (seen_ != entries_.size()) {
        std::erase_if(entries_, [this](const Entry& entry) { return entry.pass != pass_; });
        index_.clear();
        for (size_t i = 0; i < entries_.size(); ++i)
            index_.emplace(entries_[i].key, i);
    }
    ++pass_;
    seen_ = 0;
    cursor_ = 0;
}

std::vector<ProcessRecord> ResolveRows(std::vector<ProcessRecord> table, ProcessFactsCache& cache,
                                       const FactsReader& read, std::wstring_view systemRoot) {
    for (ProcessRecord& row : table) {
        const LastingFacts* facts = cache.Find(row.processId, row.creationTime);
        if (!facts) {
            LastingFacts fresh = read(row);
            if (!fresh.path.empty())
                fresh.path = CleanProcessPath(fresh.path, systemRoot);
            facts = &cache.Store(row.processId, row.creationTime, std::move(fresh));
        }
        row.path = facts->path;
        row.iconIndex = facts->iconIndex;
    }
    cache.EndPass();
    return table;
}

SortState NextSortState(SortState current, ProcessColumn column) {
    if (current.column == column)
        return {column, !current.descending};
    return {column, false};
}

bool RowLess(const ProcessRecord& a, const ProcessRecord& b, ProcessColumn column) {
    switch (column) {
    case ProcessColumn::Memory:
        return a.workingSetKb < b.workingSetKb;
    case ProcessColumn::Id:
        return a.processId < b.processId;
    case ProcessColumn::Threads:
        return a.threadCount < b.threadCount;
    case ProcessColumn::Name:
        return SortKey(a.imageName) < SortKey(b.imageName);
    case ProcessColumn::Path:
        return SortKey(a.path) < SortKey(b.path);
    }
    return false;
}

void SortRows(std::vector<ProcessRecord>& rows, SortState state) {
    // Each text's sort key is made once per row rather than once per comparison.
    if (state.column == ProcessColumn::Name || state.column == ProcessColumn::Path) {
        std::vector<std::pair<std::string, size_t>> keys;
        keys.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys.emplace_back(
                SortKey(state.column == ProcessColumn::Name ? rows[i].imageName : rows[i].path), i);
        std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            return state.descending ? b.first < a.first : a.first < b.first;
        });
        std::vector<ProcessRecord> sorted;
        sorted.reserve(rows.size());
        for (const auto& key : keys)
            sorted.push_back(std::move(rows[key.second]));
        rows = std::move(sorted);
        return;
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const ProcessRecord& a, const ProcessRecord& b) {
        return state.descending ? RowLess(b, a, state.column) : RowLess(a, b, state.column);
    });
}

int RowOfProcess(const std::vector<ProcessRecord>& rows, uint32_t processId) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].processId == processId)
            return static_cast<int>(i);
    return -1;
}

} // namespace tessaly
