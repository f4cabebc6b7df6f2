#include "scan/running_files.h"

#include "common/text.h"
#include "process/process_control.h"
#include "process/process_query.h"
#include "scan/scan_logic.h"
#include "win32/handles.h"

namespace tessaly {

std::vector<std::wstring> RunningFiles() {
    DistinctFiles files;
    ForEachSnapshotProcess([&](const PROCESSENTRY32W& entry) {
        const DWORD pid = entry.th32ProcessID;
        if (pid == 0)
            return;
        std::wstring image = ProcessImagePath(pid);
        const UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
        const std::vector<HMODULE> modules =
            process ? ModuleHandles(process.get()) : std::vector<HMODULE>();
        if (image.empty() && !modules.empty())
            image = ModuleFileName(process.get(), modules.front());
        files.Add(image);
        for (HMODULE module : modules) {
            const std::wstring path = ModuleFileName(process.get(), module);
            if (!EqualsNoCase(path, image)) // the executable's own entry is already in
                files.Add(path);
        }
    });
    return files.Paths();
}

} // namespace tessaly
