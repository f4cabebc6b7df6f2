#include "run/run_rules.h"

#include "common/text.h"

namespace tessaly {

namespace {
bool EndsInExe(std::wstring_view text) {
    return text.size() >= 4 && EqualsNoCase(text.substr(text.size() - 4), L".exe");
}
} // namespace

bool VerbRowVisible(std::wstring_view text) {
    if (ContainsNoCase(text, L".exe "))
        return false;
    return !EndsInExe(text);
}

bool RunAccepts(std::wstring_view text) {
    return EndsInExe(text);
}

BrowseChoice ChosenFile(int filterIndex, std::wstring_view path, std::wstring_view shortPath) {
    if (filterIndex == 1)
        return {std::wstring(shortPath.empty() ? path : shortPath), false};
    return {std::wstring(path), true};
}

} // namespace tessaly
