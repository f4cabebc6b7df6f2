// Texts and small mappings for ending processes, setting their priority and listing their
// modules. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// A module's image size as the modules list shows it: bytes below 1 KB, then kilobytes and
// megabytes with two decimals in the user's decimal separator ("512 Bytes", "1.50 KB",
// "3.00 MB").
std::wstring ModuleSizeText(uint64_t bytes);

// The priority menu entry to mark for a priority class: 0 idle, 1 normal, 2 high,
// 3 realtime; -1 for any other class (below/above normal) and for 0, a failed query.
int PriorityMarkIndex(uint32_t priorityClass);

// Caption and count line of the modules dialog.
std::wstring ModulesCaption(std::wstring_view name);
std::wstring ModulesCountLine(std::wstring_view name, size_t count);

// The question asked before a process is ended; a critical process gets a plain warning
// that ending it takes Windows down with it.
std::wstring TerminateQuestion(std::wstring_view name, bool critical);

// What is said when a process could not be ended: its name and the system's reason.
std::wstring TerminateFailedText(std::wstring_view name, std::wstring_view reason);

} // namespace tessaly
