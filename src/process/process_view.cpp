#include "process/process_view.h"

#include "common/display_text.h"

namespace tessaly {

std::wstring ProcessCellText(const ProcessRecord& record, ProcessColumn column) {
    switch (column) {
    case ProcessColumn::Name:
        return DisplayText(record.imageName);
    case ProcessColumn::Memory:
        return std::to_wstring(record.workingSetKb);
    case ProcessColumn::Id:
        return std::to_wstring(record.processId);
    case ProcessColumn::Threads:
        return std::to_wstring(record.threadCount);
    case ProcessColumn::Path:
        return DisplayText(record.path);
    }
    return {};
}

ProcessDetails DetailsFor(const ProcessRecord& record, bool sizeKnown, uint64_t fileSize,
                          const VersionTexts& version) {
    return DetailsForFile(record.imageName, sizeKnown, fileSize, version);
}

ProcessDetails DetailsForFile(const std::wstring& name, bool sizeKnown, uint64_t fileSize,
                              const VersionTexts& version) {
    ProcessDetails details;
    const std::wstring shown = DisplayText(name);
    details.name = shown;
    // An unknown size shows nothing rather than a unit with no number.
    details.size = sizeKnown ? std::to_wstring(fileSize) + L" Byte" : std::wstring();
    details.company = version.company;
    details.description = version.description;
    details.version = version.fileVersion;
    details.readMoreLink = L"Read more about " + shown;
    details.terminateLink = L"Terminate " + shown + L" Process";
    return details;
}

std::wstring FolderOf(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring()
                                            : std::wstring(path.substr(0, slash + 1));
}

} // namespace tessaly
