// The texts the process list shows for a row. Pure.
#pragma once

#include "process/process_record.h"

#include <string>

namespace tessaly {

enum class ProcessColumn { Name = 0, Memory = 1, Id = 2, Threads = 3, Path = 4 };

std::wstring ProcessCellText(const ProcessRecord& record, ProcessColumn column);

} // namespace tessaly
