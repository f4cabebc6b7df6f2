// The files a security check looks at: every running program's executable and every module
// it has loaded.
#pragma once

#include <string>
#include <vector>

namespace tessaly {

// Each file once (paths compared ignoring case), process by process: the executable, then
// its modules in load order. A process whose modules cannot be read still gives its
// executable.
std::vector<std::wstring> RunningFiles();

} // namespace tessaly
