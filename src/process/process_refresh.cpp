#include "process/process_refresh.h"

#include "common/long_path.h"
#include "process/process_query.h"

#include <windows.h>
#include <shellapi.h>

namespace tessaly {

int ProcessRowSource::IconOf(const std::wstring& path) {
    if (const auto known = icons_.find(path); known != icons_.end())
        return known->second;
    SHFILEINFOW info{};
    if (path.empty() || !::SHGetFileInfoW(ExtendedPath(path).c_str(), 0, &info, sizeof info,
                                          SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        ::SHGetFileInfoW(L".exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                         SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    // A file's icon can change while no process of it runs; the map holds running files only.
    icons_.emplace(path, info.iIcon);
    return info.iIcon;
}

LastingFacts ProcessRowSource::Read(const ProcessRecord& record) {
    LastingFacts facts;
    facts.path = ProcessImagePath(record.processId);
    facts.iconIndex = IconOf(facts.path);
    return facts;
}

std::vector<ProcessRecord> ProcessRowSource::Refresh(std::vector<ProcessRecord> table) {
    std::vector<ProcessRecord> rows = ResolveRows(
        std::move(table), facts_, [this](const ProcessRecord& r) { return Read(r); },
        SystemRootPath());
    if (icons_.size() > 4 * rows.size() + 64)
        icons_.clear(); // files of long-gone processes
    return rows;
}

} // namespace tessaly
