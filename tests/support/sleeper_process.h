// Real child processes for Wine tests: copies of sleeper.exe that a test starts, looks at and
// kills, and a scratch folder to copy them into. Both clean up after themselves, so a failed
// assertion never leaves a process or a folder behind.
#pragma once

#include <windows.h>

#include "support/wine_test_support.h"
#include "win32/handles.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

// Stops the test when a child could not be started, saying why.
#define ASSERT_STARTED(child) ASSERT_TRUE((child).running()) << (child).error()

namespace tessaly::test {

// sleeper.exe is built next to the test program.
inline std::wstring SleeperSource() {
    return TestProgramFolder() + L"\\sleeper.exe";
}

// A fresh folder under the user's temp folder, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(std::wstring_view name) {
        path_ = TempFolder() + std::wstring(name) + L" " + std::to_wstring(::GetCurrentProcessId());
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_, ignored);
        // The long form, which is what the system reports for a running program's image.
        std::wstring longPath(32768, L'\0');
        longPath.resize(::GetLongPathNameW(path_.c_str(), longPath.data(),
                                           static_cast<DWORD>(longPath.size())));
        if (!longPath.empty())
            path_ = longPath;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }

    // Copies sleeper.exe to `relativePath` below this folder, making folders on the way;
    // returns the full path, empty on failure.
    std::wstring PlaceSleeper(std::wstring_view relativePath) const {
        const std::wstring target = path_ + L"\\" + std::wstring(relativePath);
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ignored);
        return ::CopyFileW(SleeperSource().c_str(), target.c_str(), FALSE) ? target
                                                                           : std::wstring();
    }

private:
    std::wstring path_;
};

// One running copy of sleeper.exe. Start returns once the child runs its own code, so the
// system knows its name; the destructor kills it if the test has not.
class SleeperProcess {
public:
    SleeperProcess() = default;
    SleeperProcess(SleeperProcess&&) = default;
    SleeperProcess& operator=(SleeperProcess&& other) noexcept {
        if (this != &other) {
            Kill();
            process_ = std::move(other.process_);
            id_ = std::exchange(other.id_, 0);
            error_ = std::move(other.error_);
        }
        return *this;
    }
    ~SleeperProcess() { Kill(); }

    // `security` guards the new process (an empty DACL makes one nobody else may open).
    static SleeperProcess Start(const std::wstring& exePath,
                                SECURITY_ATTRIBUTES* security = nullptr) {
        static std::atomic<int> counter{0};
        SleeperProcess child;
        const std::wstring eventName = L"Local\\tessaly-sleeper-" +
                                       std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter);
        const UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        if (!ready) {
            child.error_ = "CreateEvent failed: " + std::to_string(::GetLastError());
            return child;
        }
        std::wstring commandLine = L"\"" + exePath + L"\" " + eventName + L" 120";
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exePath.c_str(), commandLine.data(), security, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &info)) {
            child.error_ = "CreateProcess failed: " + std::to_string(::GetLastError());
            return child;
        }
        const UniqueKernelHandle thread(info.hThread);
        child.process_.reset(info.hProcess);
        child.id_ = info.dwProcessId;
        const HANDLE waitFor[] = {ready.get(), info.hProcess};
        const DWORD woken = ::WaitForMultipleObjects(2, waitFor, FALSE, 20000);
        if (woken != WAIT_OBJECT_0) {
            child.error_ = woken == WAIT_OBJECT_0 + 1 ? "the child ended before it was ready"
                                                      : "the child did not get ready in 20 s";
            child.Kill();
        }
        return child;
    }

    bool running() const { return static_cast<bool>(process_); }
    DWORD id() const { return id_; }
    const std::string& error() const { return error_; }

    // Terminates the child, waits for it and lets go of it, so its ID stops naming anything;
    // true when it is gone.
    bool Kill() {
        if (!process_)
            return true;
        ::TerminateProcess(process_.get(), 1);
        const bool ended = ::WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0;
        process_.reset();
        return ended;
    }

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
    std::string error_;
};

} // namespace tessaly::test
