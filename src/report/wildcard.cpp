#include "report/wildcard.h"

#include "common/text.h"

namespace tessaly {

namespace {

bool SameLetter(wchar_t a, wchar_t b) {
    return a == b || FoldCase(a) == FoldCase(b);
}

// Iterative matching with one backtrack point (the last "*"): linear in practice, and never
// recursive however many stars a pattern has.
bool Match(std::wstring_view pattern, std::wstring_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
    if (pattern.empty() || name.empty())
        return false;
    if (Match(pattern, name))
        return true;
    // "name.*" stands for "name" with any extension or none.
    if (pattern.size() >= 2 && pattern.ends_with(L".*") &&
        name.find(L'.') == std::wstring_view::npos)
        return Match(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

std::vector<std::wstring> SplitPatterns(std::wstring_view search) {
    std::vector<std::wstring> patterns;
    size_t start = 0;
    for (;;) {
        const size_t bar = search.find(L'|', start);
        patterns.emplace_back(search.substr(start, bar - start));
        if (bar == std::wstring_view::npos)
            break;
        start = bar + 1;
    }
    return patterns;
}

} // namespace tessaly
