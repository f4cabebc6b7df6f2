// Work that must not hold up the window: one job at a time on its own thread, its result
// posted back to the window as a message. A request while a job runs is refused, so a timer
// that fires again before the last job finished simply skips.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace tessaly {

template <class Result> class BackgroundTask {
public:
    BackgroundTask() = default;
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    ~BackgroundTask() {
        if (thread_.joinable())
            thread_.join();
    }

    bool Running() const { return running_.load(); }

    // Runs `work` and posts `message` to `target` with the result in lParam; the window
    // takes it with Take. Returns false when a job is still running.
    bool Start(HWND target, UINT message, std::function<Result()> work) {
        if (running_.exchange(true))
            return false;
        if (thread_.joinable())
            thread_.join();
        thread_ = std::thread([this, target, message, work = std::move(work)] {
            Result* result = nullptr;
            try {
                result = new Result(work());
            } catch (...) {
                result = nullptr;
            }
            running_ = false;
            if (!::PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(result)))
                delete result; // the window is gone
        });
        return true;
    }

    static std::unique_ptr<Result> Take(LPARAM lParam) {
        return std::unique_ptr<Result>(reinterpret_cast<Result*>(lParam));
    }

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace tessaly
