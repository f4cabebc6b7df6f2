// Live GDI objects of this process, counted from the shared handle table the process
// environment block points to (Wine's GetGuiResources answers 0).
#pragma once

#include <windows.h>

#include <cstddef>

namespace tessaly::test {

inline size_t LiveGdiObjects() {
    struct Entry { // GDI_HANDLE_ENTRY
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    struct {
        void* reserved1;
        const BYTE* peb;
        void* reserved2[4];
    } basic{}; // PROCESS_BASIC_INFORMATION
    if (!query || query(::GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0)
        return 0;
    const auto* table = *reinterpret_cast<const Entry* const*>(basic.peb + 0xF8);
    if (!table)
        return 0;
    size_t live = 0;
    for (size_t i = 0; i < 0x10000; ++i)
        if (table[i].type != 0 && table[i].object != 0)
            ++live;
    return live;
}

} // namespace tessaly::test
