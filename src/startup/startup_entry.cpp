#include "startup/startup_entry.h"

#include "common/display_text.h"
#include "common/text.h"

namespace tessaly {

std::wstring StartupEntry::Name() const {
    return Trim(valueName);
}

std::wstring_view LocationText(StartupHive hive) {
    return hive == StartupHive::Machine ? L"Registry machine section" : L"Registry User section";
}

std::wstring_view StatusText(bool running) {
    return running ? L"Running" : L"Not running";
}

std::wstring StartupCellText(const StartupEntry& entry, StartupColumn column) {
    switch (column) {
    case StartupColumn::Name:
        return DisplayText(entry.Name());
    case StartupColumn::CommandLine:
        return DisplayText(entry.commandLine);
    case StartupColumn::Location:
        return std::wstring(LocationText(entry.hive));
    case StartupColumn::Status:
        return std::wstring(StatusText(entry.running));
    }
    return {};
}

} // namespace tessaly
