// What the "New Task" dialog decides from its text, apart from the dialog itself. Pure.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The "Send command:" row shows for anything but a program: hidden when the text holds a
// program name followed by a space, or ends in ".exe" (any case).
bool VerbRowVisible(std::wstring_view text);

// Only a text ending in ".exe" (any case) is run.
bool RunAccepts(std::wstring_view text);

// What a choice in the Open dialog puts into the text box. Programs (the first filter) go in
// their short form, which has no spaces for the rules above to trip on; when there is none,
// the long path stays rather than an empty box.
struct BrowseChoice {
    std::wstring text;
    bool verbRowVisible = false;
};
BrowseChoice ChosenFile(int filterIndex, std::wstring_view path, std::wstring_view shortPath);

} // namespace tessaly
