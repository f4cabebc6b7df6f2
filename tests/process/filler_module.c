/* A module with nothing in it. The control tests load hundreds of copies of it into one
   process to see that a module list has no fixed size. No C runtime: each copy costs only
   the loader's work. */
#include <windows.h>

BOOL WINAPI FillerEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

__declspec(dllexport) int FillerMarker(void) {
    return 1;
}
