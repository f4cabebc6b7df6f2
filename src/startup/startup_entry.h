// One row of the startup list: a value of a Run key and what its command starts. Pure.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

enum class StartupHive { Machine = 1, User = 2 };

// Which registry view a machine entry was read from: a 64-bit system keeps the Run keys of
// 32-bit programs apart (WOW6432Node).
enum class StartupView { Native, Wow32 };

enum class StartupKey { Windows, WindowsNt }; // "windows\currentversion\run" or "windows nt\..."

struct StartupEntry {
    std::wstring valueName;   // as stored, for reading and deleting the value
    std::wstring commandLine; // the value's data as text
    StartupHive hive = StartupHive::Machine;
    StartupView view = StartupView::Native;
    StartupKey key = StartupKey::Windows;
    // Filled by the status pass.
    bool running = false;
    std::wstring path;     // the executable the command starts, lower case; may be empty
    std::wstring fileName; // its file-name part; may be empty

    std::wstring Name() const; // the value name, trimmed, as the list shows it
};

enum class StartupColumn { Name = 0, CommandLine = 1, Location = 2, Status = 3 };

std::wstring_view LocationText(StartupHive hive);
std::wstring_view StatusText(bool running);
// What a cell shows; names and command lines with control characters made visible.
std::wstring StartupCellText(const StartupEntry& entry, StartupColumn column);

} // namespace tessaly
