// The HTTP server with room for long addresses. Debian's cpp-httplib is a compiled library
// whose request-line limit (8 KiB) is fixed inside it, while five scan records with long
// Unicode paths take up to 64 KiB. This server reads each request line itself; one longer than
// the library's limit reaches the library with its query set aside and gets it back before
// routing.
#pragma once

#include <httplib.h>

#include <cstddef>

namespace lookup {

// The longest request line answered; a longer one gets 414.
inline constexpr size_t kMaxRequestLine = 64 * 1024;

class LongRequestServer : public httplib::Server {
private:
    bool process_and_close_socket(socket_t sock) override;
};

} // namespace lookup
