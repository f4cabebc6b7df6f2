#include "process/process_view.h"

namespace tessaly {

std::wstring ProcessCellText(const ProcessRecord& record, ProcessColumn column) {
    switch (column) {
    case ProcessColumn::Name:
        return record.imageName;
    case ProcessColumn::Memory:
        return std::to_wstring(record.workingSetKb);
    case ProcessColumn::Id:
        return std::to_wstring(record.processId);
    case ProcessColumn::Threads:
        return std::to_wstring(record.threadCount);
    case ProcessColumn::Path:
        return record.path;
    }
    return {};
}

} // namespace tessaly
