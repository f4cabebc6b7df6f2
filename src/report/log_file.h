// The log file command: asks where to save, then writes the program's version, the time, the
// Windows and browser versions and the path of every row of the process list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly {

// Shows the save dialog owned by `owner` and writes the log. A cancelled dialog writes
// nothing; a log that cannot be written is reported with the system's reason, and leaves no
// part of a file behind. Returns the path written, empty when nothing was.
std::wstring SaveLogfile(HWND owner, const std::vector<std::wstring>& paths);

// The log's text for this moment and these rows.
std::wstring CurrentLogText(const std::vector<std::wstring>& paths);

// Writes the log to the path the dialog gave (a bare ".txt" becomes the date); asks before
// replacing a file under the date's name, and reports a failure. For the dialog's answer and
// for callers that know the path already.
std::wstring WriteLogfile(HWND owner, const std::wstring& chosen,
                          const std::vector<std::wstring>& paths);

} // namespace tessaly
