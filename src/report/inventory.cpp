#include "report/inventory.h"

#include "common/long_path.h"
#include "common/text.h"
#include "process/file_info_record.h"
#include "process/file_version.h"
#include "win32/handles.h"
#include "win32/text_file.h"

namespace tessaly {

bool ListFolder(const std::wstring& folder, const std::function<bool(DirEntry&&)>& each) {
    WIN32_FIND_DATAW data{};
    // Every entry in one pass, asked for by its long name: the system's own pattern matching
    // would also match short names ("*.exe" takes "x.exe1" through "X~1.EXE").
    const UniqueFindHandle find(::FindFirstFileExW(ExtendedPath(folder + L"*").c_str(),
                                                   FindExInfoBasic, &data, FindExSearchNameMatch,
                                                   nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return false;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        DirEntry entry;
        entry.name = name;
        entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.reparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        if (!each(std::move(entry)))
            break; // the find handle closes here too
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

std::wstring WriteInventoryFile(const std::vector<std::wstring>& folders,
                                const std::vector<std::wstring>& List3) {
    std::wstring text;
    for (const std::wstring& record : List3) {
        text += record; // each record keeps its own CR
        text += L"\r\n";
    }
    for (const std::wstring& folder : folders) {
        if (folder.empty())
            continue;
        const std::wstring path = folder + L"\\a.txt";
        if (WriteTextFile(path, text) == ERROR_SUCCESS)
            return path;
    }
    return {};
}

Inventory::Inventory() : search_(ListFolder) {
    // A search clears its cancel mark when it starts; one that came just before is passed on
    // at the next folder.
    search_.searching = [this](const std::wstring&) {
        if (cancelled_)
            search_.Cancel();
    };
    search_.found = [this](const std::wstring& folder, const DirEntry& file) {
        search_found(folder, file);
    };
}

void Inventory::search_found(const std::wstring& folder, const DirEntry& file) {
    if (!IsRecordedFileName(file.name))
        return;
    const FileInfoRecord info = GetFileInfo(ExtendedPath(folder + file.name));
    List3.push_back(FoundFileRecord(file.name, file.size, folder, info));
    records_ = List3.size();
}

Inventory::Outcome Inventory::RunInventory(const std::wstring& root,
                                           const std::vector<std::wstring>& folders) {
    List3.clear();
    records_ = 0;
    search_.searchinsubfolders(true);
    search_.findfiles(root, L"*.exe");
    Outcome outcome;
    outcome.records = List3.size();
    outcome.cancelled = cancelled_ || search_.Cancelled();
    if (!outcome.cancelled)
        outcome.writtenTo = WriteInventoryFile(folders, List3);
    return outcome;
}

std::wstring WindowsDrive() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return std::wstring(folder, std::min<UINT>(length, 2));
}

} // namespace tessaly
