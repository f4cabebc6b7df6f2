// The loading thread's hand-over: a job started before its window exists delivers its result
// once the window is named, and one whose window never comes does not hold up the program.
#include "win32/background_task.h"

#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <thread>

namespace tessaly {
namespace {

constexpr UINT kDone = WM_APP + 7;
std::unique_ptr<int> received;

LRESULT CALLBACK Receiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDone) {
        received = BackgroundTask<int>::Take(lParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeReceiver() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Receiver;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BackgroundTaskTest";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, windowClass.hInstance, nullptr);
}

TEST(BackgroundTaskTest, AResultWaitsForTheWindowNamedLater) {
    received.reset();
    BackgroundTask<int> task;
    ASSERT_TRUE(task.Start(nullptr, kDone, [] { return 42; }));
    EXPECT_FALSE(task.Start(nullptr, kDone, [] { return 0; })) << "a second job while one runs";
    ::Sleep(200); // the work is done by now; its result has nowhere to go yet
    EXPECT_TRUE(task.Running());

    HWND window = MakeReceiver();
    ASSERT_TRUE(window);
    task.SetTarget(window);
    ASSERT_TRUE(test::PumpUntil([] { return received != nullptr; }, 5000,
                                test::PumpCheck::AfterEachMessage))
        << "the result never arrived";
    EXPECT_EQ(*received, 42);
    EXPECT_FALSE(task.Running());

    // Later jobs go straight to the window.
    received.reset();
    ASSERT_TRUE(task.Start(window, kDone, [] { return 7; }));
    ASSERT_TRUE(test::PumpUntil([] { return received != nullptr; }, 5000,
                                test::PumpCheck::AfterEachMessage));
    EXPECT_EQ(*received, 7);
    ::DestroyWindow(window);
}

TEST(BackgroundTaskTest, AWindowThatNeverComesHoldsNothingUp) {
    const auto start = std::chrono::steady_clock::now();
    {
        BackgroundTask<int> task;
        ASSERT_TRUE(task.Start(nullptr, kDone, [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return 1;
        }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } // the result is dropped and the thread ends
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

} // namespace
} // namespace tessaly
