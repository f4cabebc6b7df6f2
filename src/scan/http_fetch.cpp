#include "scan/http_fetch.h"

#include <winerror.h>

namespace tessaly {

namespace {

FetchResult Failure(FetchError error, DWORD code = 0) {
    FetchResult result;
    result.error = error;
    if (code)
        result.detail = L"error " + std::to_wstring(code);
    return result;
}

FetchResult FromLastError(DWORD code) {
    switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT: // what Wine reports
        return Failure(FetchError::Timeout);
    case ERROR_WINHTTP_OPERATION_CANCELLED:
    case ERROR_INVALID_HANDLE:
        return Failure(FetchError::Cancelled);
    default:
        return Failure(FetchError::Connect, code);
    }
}

std::optional<std::wstring> Header(HINTERNET request, DWORD query, const wchar_t* name) {
    DWORD bytes = 0;
    ::WinHttpQueryHeaders(request, query, name, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (!::WinHttpQueryHeaders(request, query, name, value.data(), &bytes, WINHTTP_NO_HEADER_INDEX))
        return std::nullopt;
    value.resize(bytes / sizeof(wchar_t));
    return value;
}

} // namespace

HttpFetch::~HttpFetch() = default;

bool HttpFetch::Keep(HINTERNET request) {
    std::lock_guard lock(mutex_);
    request_ = request;
    return !aborted_;
}

void HttpFetch::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    // Closing the handle makes the call blocked on it return at once.
    if (request_)
        ::WinHttpCloseHandle(request_);
    request_ = nullptr;
}

FetchResult HttpFetch::Get(const std::wstring& url) {
    URL_COMPONENTS parts{sizeof parts};
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return Failure(FetchError::BadAddress);
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const Internet session(::WinHttpOpen(L"Tessaly", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return FromLastError(::GetLastError());
    ::WinHttpSetTimeouts(session.get(), connectMs_, connectMs_, answerMs_, answerMs_);
    const Internet connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection)
        return FromLastError(::GetLastError());
    // The address is already encoded; WinHTTP must not encode it again.
    const DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    HINTERNET request =
        ::WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                             WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
    if (!request)
        return FromLastError(::GetLastError());
    // From here the request handle is closed by whoever clears request_: Abort or us.
    struct Release {
        HttpFetch* self;
        HINTERNET request;
        ~Release() {
            std::lock_guard lock(self->mutex_);
            if (self->request_ == request) {
                ::WinHttpCloseHandle(request);
                self->request_ = nullptr;
            }
        }
    } release{this, request};
    if (!Keep(request))
        return Failure(FetchError::Cancelled);
    // The wait for the answer's headers has a limit of its own, which the session's timeouts
    // do not set.
    DWORD answerMs = static_cast<DWORD>(answerMs_);
    ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerMs,
                       sizeof answerMs);

    if (!::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                              0, 0) ||
        !::WinHttpReceiveResponse(request, nullptr))
        return FromLastError(::GetLastError());

    FetchResult result;
    DWORD status = 0, size = sizeof status;
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX))
        return FromLastError(::GetLastError());
    result.status = status;
    result.retryAfter = Header(request, WINHTTP_QUERY_RETRY_AFTER, WINHTTP_HEADER_NAME_BY_INDEX);

    char chunk[16384];
    for (;;) {
        DWORD read = 0;
        if (!::WinHttpReadData(request, chunk, sizeof chunk, &read))
            return FromLastError(::GetLastError());
        if (read == 0)
            break;
        if (result.body.size() + read > kMaxAnswer)
            return Failure(FetchError::TooLarge);
        result.body.append(chunk, read);
    }
    {
        std::lock_guard lock(mutex_);
        if (aborted_)
            return Failure(FetchError::Cancelled);
    }
    if (status < 200 || status > 299)
        result.error = FetchError::Status;
    return result;
}

} // namespace tessaly
