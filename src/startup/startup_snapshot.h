// The startup names remembered between runs ("\startst.txt", the baseline), the work files of
// a check ("\starttmp.txt", "\starttmp2.txt") and the first-run marker "start1st". The files
// live beside the program, or in %LOCALAPPDATA%\Tessaly where the program's folder cannot be
// written; a baseline kept there is used first.
#pragma once

#include "settings/registry.h"
#include "win32/text_file.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class StartupSnapshot {
public:
    // `userFolder` is where the files go when the program's folder cannot be written; by
    // default this user's data folder, looked up (and made) only when first needed.
    StartupSnapshot(const SettingsStore& settings, std::wstring programFolder,
                    std::optional<std::wstring> userFolder = std::nullopt);

    struct Result {
        bool first = false;      // no baseline yet: this check wrote it
        std::vector<bool> marks; // per name, whether it is new
        bool AnyNew() const;
    };
    // Compares the list's names, in row order, with the baseline (the first check writes the
    // baseline instead).
    Result Check(const std::vector<std::wstring>& names);

    // Makes the names the baseline. False when it could not be written.
    bool Accept(const std::vector<std::wstring>& names);

    // The folder the files are in now.
    std::wstring Folder() const;

private:
    bool WriteBaseline(const std::wstring& folder, const std::vector<std::wstring>& names);

    const SettingsStore& settings_;
    std::wstring programFolder_;
    mutable std::optional<std::wstring> userFolder_;
};

} // namespace tessaly
