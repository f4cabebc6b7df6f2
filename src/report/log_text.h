// The log file's text and name. Pure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct LogFacts {
    std::wstring version; // major.minor.revision of the program
    std::wstring time;    // as TwelveHourTime gives it
    std::wstring date;    // the user's long date
    std::wstring winName, winVersion, ieVersion;
    std::vector<std::wstring> paths; // the process list's "Path" cells, in list order
};

// The whole log, every line ending CR LF.
std::wstring LogFileText(const LogFacts& facts);

// "hh:mm:ss" on a 12-hour clock (12, 01 ... 11), a space and the designator the system gives
// for that half of the day; no space when the designator is empty.
std::wstring TwelveHourTime(int hour, int minute, int second, std::wstring_view am,
                            std::wstring_view pm);

// `name` with every character a file name may not hold (\ / : * ? " < > | and control
// characters) replaced by "-".
std::wstring SafeFileName(std::wstring_view name);

// Where the log goes for the path the save dialog returned. A file name of only ".txt" (blanks
// around it and case do not count) means "name it by the date": the short date made safe,
// with ".txt", in the folder chosen. An empty or blank path means the dialog was cancelled.
struct LogTarget {
    std::wstring path; // empty: nothing to write
    bool dateName = false;
};
LogTarget LogFileTarget(std::wstring_view chosen, std::wstring_view shortDate);

} // namespace tessaly
