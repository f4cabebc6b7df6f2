// Work that must not hold up the window: one job at a time on its own thread, its result
// posted back to the window as a message. A job runs until the window has taken its result;
// a request before then is refused, so a timer that fires again before the last job finished
// simply skips.
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

    // True from Start until the window takes the result: a job whose work is done but whose
    // result still waits in the message queue has not shown anything yet.
    bool Running() const { return running_.load(); }

    // Runs `work` and posts `message` to `target` with the result in lParam; the window
    // takes it with Take. Returns false when a job is still running.
    bool Start(HWND target, UINT message, std::function<Result()> work) {
        if (running_.exchange(true))
            return false;
        if (thread_.joinable())
            thread_.join();
        thread_ = std::thread([this, target, message, work = std::move(work)] {
            auto delivery = std::make_unique<Delivery>();
            delivery->task = this;
            try {
                delivery->result = std::make_unique<Result>(work());
            } catch (...) {
                delivery->result.reset();
            }
            if (::PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(delivery.get())))
                delivery.release();
            else
                running_ = false; // the window is gone
        });
        return true;
    }

    // The result of a finished job (null when the work threw); ends the job.
    static std::unique_ptr<Result> Take(LPARAM lParam) {
        std::unique_ptr<Delivery> delivery(reinterpret_cast<Delivery*>(lParam));
        if (!delivery)
            return nullptr;
        delivery->task->running_ = false;
        return std::move(delivery->result);
    }

private:
    struct Delivery {
        BackgroundTask* task = nullptr;
        std::unique_ptr<Result> result;
    };

    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace tessaly
