#include "settings/options.h"

#include "common/text.h"
#include "settings/setting_names.h"

#include <algorithm>

namespace tessaly {

using namespace settings;

namespace {
// A box is ticked only by a stored number 1; other texts leave it unticked.
bool Ticked(const SettingsStore& store, const wchar_t* name) {
    return store.Number(kOptionKey, name) == 1;
}
const wchar_t* Flag(bool on) {
    return on ? L"1" : L"0";
}
} // namespace

OptionsModel LoadOptions(const SettingsStore& store) {
    OptionsModel model;
    model.autoRefresh = Ticked(store, kRefresh);
    if (auto seconds = store.Read(kOptionKey, kRefreshSeconds)) {
        model.hasSeconds = true;
        model.seconds = seconds->substr(0, kSecondsTextLimit);
        model.secondsNumber = static_cast<int>(std::clamp(LeadingNumber(*seconds), 0.0, 3600.0));
    }
    model.autostart = Ticked(store, kLoad);
    model.startupMonitor = Ticked(store, kStartupMonitor);
    return model;
}

std::wstring AutostartCommand(std::wstring_view programFolder) {
    const std::wstring program = std::wstring(programFolder) + L"\\varnok.exe";
    if (program.find(L' ') != std::wstring::npos)
        return L"\"" + program + L"\" s";
    return program + L" s";
}

SaveResult SaveOptions(const SettingsStore& store, HKEY userRoot, const OptionsModel& model,
                       std::wstring_view programFolder) {
    SaveResult result;
    const double seconds = LeadingNumber(model.seconds);
    if (!(seconds >= 0 && seconds <= kLongestRefreshSeconds)) {
        result.secondsRefused = true;
        return result;
    }
    const auto save = [&](const wchar_t* name, std::wstring_view value) {
        if (store.Write(kOptionKey, name, value) == SettingsStore::Stored::Failed)
            result.failed.push_back(name);
    };
    save(kRefresh, Flag(model.autoRefresh));
    save(kRefreshSeconds, ShortestNumber(seconds));
    save(kLoad, Flag(model.autostart));
    save(kLoadType, Flag(model.autostart));
    save(kStartupMonitor, Flag(model.startupMonitor));
    if (model.autostart) {
        if (!fWriteValue(userRoot, kUserRunKey, kAutostartValue, AutostartCommand(programFolder)))
            result.failed.push_back(L"Auto start with windows");
    } else {
        const LONG status = DeleteValueStatus(userRoot, kUserRunKeyForDelete, kAutostartValue);
        if (status != 0)
            result.failed.push_back(L"Auto start with windows");
    }
    return result;
}

std::wstring SaveMessage(const SaveResult& result) {
    if (result.secondsRefused)
        return L"The refresh interval must be a number of seconds from 0 to 86400.\r\n"
               L"Nothing was saved.";
    if (result.ok())
        return L"Settings Successfully Saved";
    std::wstring message = L"These settings could not be saved:";
    for (const auto& name : result.failed)
        message += L"\r\n    " + name;
    message += L"\r\n\r\nThe account may not have the right to change them.";
    return message;
}

} // namespace tessaly
