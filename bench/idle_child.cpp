// A process for the benchmarks to count: it waits until it is ended, or two minutes at most.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::Sleep(120000);
    return 0;
}
