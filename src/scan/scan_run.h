// One security check on a thread of its own: lists the running files, reads, measures and
// hashes each once, sends them five to a request and reads the verdicts. The window that
// started it is told of progress with a posted message and reads the state with Progress().
#pragma once

#include "scan/http_fetch.h"
#include "win32/handles.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct ScanProgress {
    size_t index = 0, count = 0; // the file being read, of how many
    std::wstring status;         // what the status line says
    bool finished = false;
};

struct ScanOutcome {
    std::vector<std::string> warnings; // answer items with a warning code
    bool answered = false;             // at least one request was answered
    std::optional<std::wstring> failure;
    bool cancelled = false;
    size_t files = 0, requests = 0;
};

class ScanRun {
public:
    using FileSource = std::function<std::vector<std::wstring>()>;

    // `notify` gets `message` (no parameters) whenever Progress() has something new.
    ScanRun(HWND notify, UINT message, std::wstring baseUrl, std::wstring scanKey,
            FileSource files = nullptr);
    ~ScanRun(); // stops the run
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    void Start();
    // Ends the run: nothing more is posted or sent, a request under way is aborted and a
    // wait cut short. Waits a moment for the thread; one still blocked in the network after
    // that finishes on its own, touching nothing of ours.
    void Stop();

    ScanProgress Progress();
    // The run's result; complete once Progress().finished.
    ScanOutcome Outcome();

    struct Shared; // what the thread and this object both hold

private:
    std::shared_ptr<Shared> shared_;
    UniqueKernelHandle thread_;
};

} // namespace tessaly
