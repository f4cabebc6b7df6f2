#include "scan/scan_run.h"

#include "common/text.h"
#include "scan/file_lookup.h"
#include "scan/identity.h"
#include "scan/running_files.h"

#include <objbase.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace tessaly {

struct ScanRun::Shared {
    HWND notify = nullptr; // guarded by mutex; null once stopped
    UINT message = 0;
    std::wstring base, key;
    FileSource files;
    std::atomic<bool> stop{false};
    UniqueKernelHandle stopEvent{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HttpFetch fetch;
    std::mutex mutex;
    ScanProgress progress; // guarded by mutex
    bool notified = false; // a message is on its way; guarded by mutex
    ScanOutcome outcome;   // guarded by mutex

    void Post(bool always) {
        std::lock_guard lock(mutex);
        if (notify && (always || !notified))
            ::PostMessageW(notify, message, 0, 0);
        notified = true;
    }
    void SetStatus(std::wstring status, std::optional<size_t> index = std::nullopt) {
        {
            std::lock_guard lock(mutex);
            progress.status = std::move(status);
            if (index)
                progress.index = *index;
        }
        Post(false);
    }
    bool Send(const std::wstring& address);
    void Run();
};

namespace {

// Version data, size and digest, read the same way as for a lookup page.
ScanFile ReadScanFile(const std::wstring& path, const std::wstring& system) {
    const LookupFile read = ProcessLookupFile(FileNamePart(path), path);
    ScanFile file;
    file.path = path;
    file.fields = {read.company, read.product, read.version, L""};
    file.size = read.size;
    file.digest = read.digest;
    file.system = system;
    return file;
}

DWORD WINAPI RunThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<ScanRun::Shared>> shared(
        static_cast<std::shared_ptr<ScanRun::Shared>*>(parameter));
    (*shared)->Run();
    return 0;
}

} // namespace

void ScanRun::Shared::Run() {
    // The version and shell helpers may use COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const std::vector<std::wstring> paths = files();
    {
        std::lock_guard lock(mutex);
        progress.count = paths.size();
        outcome.files = paths.size();
    }
    const std::wstring system = GetOSVersionName();
    Batches batches(base, key);
    bool sending = true;
    for (size_t i = 0; i < paths.size() && sending && !stop; ++i) {
        SetStatus(L"Now Processing " + FileNamePart(Trim(paths[i])), i);
        for (const std::wstring& address : batches.Add(ScanRecord(ReadScanFile(paths[i], system))))
            sending = sending && !stop && Send(address);
    }
    if (sending && !stop)
        if (const auto address = batches.Finish())
            Send(*address);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    {
        std::lock_guard lock(mutex);
        outcome.cancelled = stop;
        progress.finished = true;
    }
    Post(true);
}

bool ScanRun::Shared::Send(const std::wstring& address) {
    for (unsigned retries = 0;; ++retries) {
        const FetchResult answer = fetch.Get(address);
        if (stop)
            return false;
        const bool busy =
            answer.error == FetchError::Status && (answer.status == 429 || answer.status == 503);
        if (busy) {
            if (const auto delay = RetryDelay(retries, answer.retryAfter)) {
                for (unsigned left = *delay; left > 0 && !stop; --left) {
                    SetStatus(BusyStatus(left));
                    ::WaitForSingleObject(stopEvent.get(), 1000);
                }
                if (stop)
                    return false;
                continue;
            }
        }
        std::lock_guard lock(mutex);
        outcome.requests += retries + 1;
        if (answer.error != FetchError::None) {
            outcome.failure = FailureReason(answer.error, answer.status, answer.detail);
            return false;
        }
        outcome.answered = true;
        for (std::string& item : WarningItems(ResponseBody(answer.body)))
            outcome.warnings.push_back(std::move(item));
        return true;
    }
}

ScanRun::ScanRun(HWND notify, UINT message, std::wstring baseUrl, std::wstring scanKey,
                 FileSource files)
    : shared_(std::make_shared<Shared>()) {
    shared_->notify = notify;
    shared_->message = message;
    shared_->base = std::move(baseUrl);
    shared_->key = std::move(scanKey);
    shared_->files = files ? std::move(files) : FileSource(RunningFiles);
}

ScanRun::~ScanRun() {
    Stop();
}

void ScanRun::Start() {
    auto* parameter = new std::shared_ptr<Shared>(shared_);
    thread_.reset(::CreateThread(nullptr, 0, RunThread, parameter, 0, nullptr));
    if (!thread_) {
        delete parameter;
        std::lock_guard lock(shared_->mutex);
        shared_->outcome.failure = L"The check could not start";
        shared_->progress.finished = true;
        ::PostMessageW(shared_->notify, shared_->message, 0, 0);
    }
}

void ScanRun::Stop() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->notify = nullptr;
    }
    shared_->stop = true;
    ::SetEvent(shared_->stopEvent.get());
    shared_->fetch.Abort();
    if (thread_)
        ::WaitForSingleObject(thread_.get(), 300);
    thread_.reset();
}

ScanProgress ScanRun::Progress() {
    std::lock_guard lock(shared_->mutex);
    shared_->notified = false;
    return shared_->progress;
}

ScanOutcome ScanRun::Outcome() {
    std::lock_guard lock(shared_->mutex);
    return shared_->outcome;
}

} // namespace tessaly
