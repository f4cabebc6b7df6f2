// One refresh of the process list's rows from the system: the process table, then path and
// icon for every process instance not seen before.
#pragma once

#include "process/process_list.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace tessaly {

// Keeps what earlier refreshes learned: facts per process instance, icons per file (many
// processes run the same file). Used from one thread at a time; the icon lookup needs COM on
// that thread.
class ProcessRowSource {
public:
    // Rows for `table` (as ReadProcessTable gives it), reading only what is not known yet.
    std::vector<ProcessRecord> Refresh(std::vector<ProcessRecord> table);

private:
    LastingFacts Read(const ProcessRecord& record);
    int IconOf(const std::wstring& path);

    ProcessFactsCache facts_;
    std::unordered_map<std::wstring, int> icons_;
};

} // namespace tessaly
