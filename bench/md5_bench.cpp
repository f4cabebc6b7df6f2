// Reads and hashes the files named on the command line with GetFileMD5HashCode, once per
// pass, and prints the seconds each pass took: "block <bytes> seconds <s> bytes <n>".
//   md5_bench.exe <passes> <block size> <file>...
#include "scan/md5.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: md5_bench passes blocksize file...\n");
        return 2;
    }
    const int passes = std::wcstol(argv[1], nullptr, 10);
    const int block = std::wcstol(argv[2], nullptr, 10);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int pass = 0; pass < passes; ++pass) {
        LARGE_INTEGER start, end;
        long long bytes = 0;
        size_t failed = 0;
        ::QueryPerformanceCounter(&start);
        for (int i = 3; i < argc; ++i) {
            if (tessaly::GetFileMD5HashCode(argv[i], block).empty())
                ++failed;
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (::GetFileAttributesExW(argv[i], GetFileExInfoStandard, &data))
                bytes += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        ::QueryPerformanceCounter(&end);
        std::printf("block %d seconds %.4f bytes %lld failed %zu\n", block,
                    double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), bytes,
                    failed);
    }
    return 0;
}
