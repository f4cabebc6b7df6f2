// Text files the program writes (the log, the inventory, remembered lists): whole or not at all.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <string_view>

namespace tessaly {

// The bytes of `text` in the ANSI code page when every character has its own there, otherwise
// UTF-8 after a byte-order mark: a character the code page lacks would otherwise turn into "?"
// and name a file that does not exist.
std::string TextFileBytes(std::wstring_view text);

// Writes `text` (as TextFileBytes encodes it) to `path`, replacing a file that is there. The
// bytes go to a temporary file beside it first, which then takes the file's place, so a failed
// write leaves the old file as it was and no part of the new one. Returns ERROR_SUCCESS or the
// error that stopped it.
DWORD WriteTextFile(const std::wstring& path, std::wstring_view text);

// A folder of the shell's (FOLDERID_...), made when missing if `create`; empty when none.
std::wstring KnownFolderPath(REFKNOWNFOLDERID folder, bool create = false);

// This user's own folder for the program's files (the local application data folder +
// "\Tessaly"), made when missing; empty when there is none.
std::wstring UserDataFolder();

} // namespace tessaly
