#include "startup/startup_diff.h"

#include "common/text.h"

#include <unordered_set>

namespace tessaly {

std::wstring RememberedName(const std::wstring& name) {
    return Lower(Trim(name));
}

std::vector<bool> NewNameMarks(const std::vector<std::wstring>& current,
                               const std::vector<std::wstring>& remembered) {
    std::unordered_set<std::wstring> known;
    for (const std::wstring& name : remembered)
        known.insert(RememberedName(name));
    std::vector<bool> marks;
    marks.reserve(current.size());
    for (const std::wstring& name : current)
        marks.push_back(!known.count(RememberedName(name)));
    return marks;
}

} // namespace tessaly
