// MD5 digests of files on disk, through the system's cryptographic provider.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Bytes read per step by every caller: large reads keep the digest as fast as the disk.
inline constexpr int kHashBlockSize = 1 << 20;

// Why the last digest on this thread failed; number 0 when none did. Never shown.
struct HashError {
    int number = 0;
    std::wstring source, description;
};
const HashError& LastHashError();

// The digest of the file's whole content into `digest`; returns its length (16), or 0 when
// the file cannot be opened or read to its end or the provider fails (then `digest` is left
// as it was). The file is opened sharing read, write and delete, so files in use are read.
int HashFile(std::wstring_view path, int blockSize, std::vector<unsigned char>& digest);

// The digest as 32 upper-case hexadecimal digits; empty when there is none.
std::wstring GetFileMD5HashCode(std::wstring_view path, int blockSize);

} // namespace tessaly
