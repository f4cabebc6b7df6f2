// Which executable a startup command line starts. Pure: whether a file exists is asked
// through `fileExists`.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

struct ResolvedCommand {
    std::wstring path;     // lower case; empty when the command names no ".exe"
    std::wstring fileName; // the text after the path's last backslash, or the whole bare name
};

// The command lower-cased, its double quotes dropped, up to and including its first ".exe".
// A drive ("x:\") before that ".exe" starts the path (the last one before it counts); without
// one, the bare name is looked for in the Windows folder, its "system" and "system32"
// folders, in that order, and stays bare when none has it.
ResolvedCommand ResolveCommand(std::wstring_view commandLine, std::wstring_view systemRoot,
                               const std::function<bool(const std::wstring&)>& fileExists);

} // namespace tessaly
