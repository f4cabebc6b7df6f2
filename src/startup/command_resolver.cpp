#include "startup/command_resolver.h"

#include "common/text.h"

namespace tessaly {

ResolvedCommand ResolveCommand(std::wstring_view commandLine, std::wstring_view systemRoot,
                               const std::function<bool(const std::wstring&)>& fileExists) {
    std::wstring command = Lower(commandLine);
    std::erase(command, L'"');
    const size_t exe = command.find(L".exe");
    if (exe == std::wstring::npos)
        return {};
    const size_t end = exe + 4;
    // The drive letter stands just before ":\"; one at the very start has no letter before it.
    size_t drive = std::wstring::npos;
    for (size_t at = command.find(L":\\"); at != std::wstring::npos && at < exe;
         at = command.find(L":\\", at + 1))
        if (at > 0)
            drive = at - 1;
    ResolvedCommand resolved;
    if (drive != std::wstring::npos) {
        resolved.path = command.substr(drive, end - drive);
    } else {
        resolved.path = command.substr(0, end);
        const std::wstring root(systemRoot);
        for (const wchar_t* folder : {L"\\", L"\\system\\", L"\\system32\\"}) {
            std::wstring candidate = root + folder + resolved.path;
            if (!root.empty() && fileExists && fileExists(candidate)) {
                resolved.path = std::move(candidate);
                break;
            }
        }
    }
    // A bare name keeps its name: a program found on the search path still runs under it.
    resolved.fileName = FileNamePart(resolved.path);
    return resolved;
}

} // namespace tessaly
