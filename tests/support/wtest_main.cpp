// Entry point for Wine test programs. The Windows build links with -municode, so the C runtime
// starts at wmain and the narrow main of gtest_main is never reached.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
