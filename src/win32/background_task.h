// Work that must not hold up the window: one job at a time on its own thread, its result
// posted back to the window as a message. A job runs until the window has taken its result;
// a request before then is refused, so a timer that fires again before the last job finished
// simply skips. A job may start before its window exists; its result waits for the window.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaly {

template <class Result> class BackgroundTask {
public:
    BackgroundTask() = default;
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    ~BackgroundTask() {
        {
            std::lock_guard lock(mutex_);
            abandoned_ = true; // a result still waiting for its window is dropped
        }
        targetSet_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    // True from Start until the window takes the result: a job whose work is done but whose
    // result still waits in the message queue has not shown anything yet.
    bool Running() const { return running_.load(); }

    // Runs `work` and posts `message` to `target` with the result in lParam; the window
    // takes it with Take. Returns false when a job is still running. With no target yet, the
    // result is posted once SetTarget names the window.
    bool Start(HWND target, UINT message, std::function<Result()> work) {
        if (running_.exchange(true))
            return false;
        if (thread_.joinable())
            thread_.join();
        SetTarget(target);
        thread_ = std::thread([this, message, work = std::move(work)] {
            auto delivery = std::make_unique<Delivery>();
            delivery->task = this;
            try {
                delivery->result = std::make_unique<Result>(work());
            } catch (...) {
                delivery->result.reset();
            }
            HWND target = nullptr;
            {
                std::unique_lock lock(mutex_);
                targetSet_.wait(lock, [this] { return target_ || abandoned_; });
                target = abandoned_ ? nullptr : target_;
            }
            if (target &&
                ::PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(delivery.get())))
                delivery.release();
            else
                running_ = false; // the window is gone, or was never made
        });
        return true;
    }

    // The window the results go to, for a job started before the window existed.
    void SetTarget(HWND target) {
        {
            std::lock_guard lock(mutex_);
            target_ = target;
        }
        targetSet_.notify_all();
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
    std::mutex mutex_;
    std::condition_variable targetSet_;
    HWND target_ = nullptr;  // guarded by mutex_
    bool abandoned_ = false; // guarded by mutex_
    std::thread thread_;
};

} // namespace tessaly
