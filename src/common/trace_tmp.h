#pragma once
#include <windows.h>
#include <cstdio>
inline double TraceNow() {
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return c.QuadPart * 1000.0 / f.QuadPart;
}
inline void TraceAt(const char* what, DWORD pid = GetCurrentProcessId(), double at = TraceNow()) {
    FILE* file = _wfopen(L"C:\\trace.txt", L"a");
    if (file) { fprintf(file, "%lu %s %.1f\n", pid, what, at); fclose(file); }
}
