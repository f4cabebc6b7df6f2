// Plain GET requests to the lookup server over WinHTTP, with time and size limits, that
// another thread can stop.
#pragma once

#include "scan/scan_logic.h"

#include <windows.h>
#include <winhttp.h>

#include "win32/unique_handle.h"

#include <mutex>
#include <optional>
#include <string>

namespace tessaly {

struct FetchResult {
    FetchError error = FetchError::None;
    unsigned status = 0; // when the server answered
    std::string body;    // the answer's bytes (UTF-8), at most kMaxAnswer
    std::optional<std::wstring> retryAfter;
    std::wstring detail; // the system's error number, when there is one
    bool Answered() const { return error == FetchError::None || error == FetchError::Status; }
};

class HttpFetch {
public:
    static constexpr size_t kMaxAnswer = 1 << 20;
    static constexpr int kConnectMs = 10'000;
    static constexpr int kAnswerMs = 30'000;

    // Shorter limits are for tests.
    explicit HttpFetch(int connectMs = kConnectMs, int answerMs = kAnswerMs)
        : connectMs_(connectMs), answerMs_(answerMs) {}
    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;
    ~HttpFetch();

    // Blocks until the answer is read, the limits are passed or Abort is called. A status
    // outside 2xx is FetchError::Status, with the answer's status and Retry-After.
    FetchResult Get(const std::wstring& url);
    // From any thread: the request under way, and any later one, ends as Cancelled. (Wine
    // lets a blocked read run on to its time limit; Windows ends it at once.)
    void Abort();

private:
    struct InternetTraits {
        using Handle = HINTERNET;
        static Handle Invalid() { return nullptr; }
        static void Close(Handle h) { ::WinHttpCloseHandle(h); }
    };
    using Internet = UniqueHandle<InternetTraits>;
    bool Keep(HINTERNET request); // false when aborted meanwhile

    int connectMs_, answerMs_;
    std::mutex mutex_;
    bool aborted_ = false;
    HINTERNET request_ = nullptr; // the one under way, closed by Abort
};

} // namespace tessaly
