// "Read more about": opens the lookup server's page about one file in the browser.
#pragma once

#include "scan/lookup_text.h"

#include <windows.h>

#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <thread>

namespace tessaly {

// The fields of a process lookup: version data, size and digest of `path`.
LookupFile ProcessLookupFile(const std::wstring& name, const std::wstring& path);
// The fields of a startup entry lookup: version data and size, no digest.
LookupFile StartupLookupFile(const std::wstring& name, const std::wstring& path);

// Lookups whose fields take time to read (a digest of a large file) run off the window's
// thread; each opens its page when its fields are read.
class FileLookups {
public:
    FileLookups() = default;
    FileLookups(const FileLookups&) = delete;
    FileLookups& operator=(const FileLookups&) = delete;
    ~FileLookups(); // waits for lookups under way

    // Opens the process lookup page of `path` on server `base`.
    void OpenProcess(HWND owner, std::wstring base, std::wstring name, std::wstring path);
    // How many lookups have opened their page (or been refused) so far.
    int Finished() const { return finished_.load(); }

private:
    struct Job {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Reap();

    std::list<std::unique_ptr<Job>> jobs_;
    std::atomic<int> finished_{0};
};

} // namespace tessaly
