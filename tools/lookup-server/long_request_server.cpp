#include "long_request_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>

namespace lookup {
namespace {

// The library's own limit, compiled into it; the header carries the same figure.
constexpr size_t kLibraryLineLimit = CPPHTTPLIB_REQUEST_URI_MAX_LENGTH;

int Milliseconds(time_t sec, time_t usec) {
    return static_cast<int>(sec * 1000 + usec / 1000);
}

bool Wait(int sock, short events, int timeout_ms) {
    pollfd fd{sock, events, 0};
    int result;
    do
        result = poll(&fd, 1, timeout_ms);
    while (result < 0 && errno == EINTR);
    return result > 0;
}

void Address(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

// A connection's socket with a read buffer that request lines read ahead can be put back into.
class ConnectionStream : public httplib::Stream {
public:
    ConnectionStream(int sock, int read_ms, int write_ms)
        : sock_(sock), read_ms_(read_ms), write_ms_(write_ms) {}

    bool is_readable() const override {
        return offset_ < buffer_.size() || Wait(sock_, POLLIN, read_ms_);
    }
    bool is_writable() const override { return Wait(sock_, POLLOUT, write_ms_); }

    ssize_t read(char* ptr, size_t size) override {
        if (offset_ == buffer_.size()) {
            buffer_.clear();
            offset_ = 0;
            if (!Fill())
                return -1;
        }
        const size_t n = std::min(size, buffer_.size() - offset_);
        std::copy_n(buffer_.data() + offset_, n, ptr);
        offset_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable())
            return -1;
        ssize_t sent;
        do
            sent = send(sock_, ptr, size, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            Address(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            Address(address, ip, port);
    }
    socket_t socket() const override { return sock_; }

    bool HasBuffered() const { return offset_ < buffer_.size(); }

    // Reads up to and including the next line feed, at most `limit` bytes; nullopt when the
    // connection ends or times out first. A line without its end within the limit comes back
    // as the `limit` bytes read.
    std::optional<std::string> ReadLine(size_t limit) {
        std::string line;
        while (line.size() < limit) {
            if (offset_ == buffer_.size()) {
                buffer_.clear();
                offset_ = 0;
                if (!Fill())
                    return std::nullopt;
            }
            const size_t take = std::min(limit - line.size(), buffer_.size() - offset_);
            const size_t end = buffer_.find('\n', offset_);
            if (end != std::string::npos && end < offset_ + take) {
                line.append(buffer_, offset_, end + 1 - offset_);
                offset_ = end + 1;
                return line;
            }
            line.append(buffer_, offset_, take);
            offset_ += take;
        }
        return line;
    }

    // Puts `text` before whatever is still unread.
    void Unread(const std::string& text) {
        buffer_.erase(0, offset_);
        buffer_.insert(0, text);
        offset_ = 0;
    }

private:
    bool Fill() {
        if (!Wait(sock_, POLLIN, read_ms_))
            return false;
        char chunk[16384];
        ssize_t n;
        do
            n = recv(sock_, chunk, sizeof chunk, 0);
        while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        buffer_.append(chunk, static_cast<size_t>(n));
        return true;
    }

    int sock_;
    int read_ms_, write_ms_;
    std::string buffer_;
    size_t offset_ = 0;
};

} // namespace

bool LongRequestServer::process_and_close_socket(socket_t sock) {
    ConnectionStream stream(sock, Milliseconds(read_timeout_sec_, read_timeout_usec_),
                            Milliseconds(write_timeout_sec_, write_timeout_usec_));
    const auto idle_limit = std::chrono::seconds(keep_alive_timeout_sec_);
    // Waits for the next request in short steps, so that an idle connection does not hold up
    // a stopping server.
    auto next_request = [&] {
        const auto idle_since = std::chrono::steady_clock::now();
        while (!stream.HasBuffered() && !Wait(sock, POLLIN, 100)) {
            if (svr_sock_ == INVALID_SOCKET ||
                std::chrono::steady_clock::now() - idle_since > idle_limit)
                return false;
        }
        return true;
    };
    bool result = false;
    for (size_t left = keep_alive_max_count_; left > 0 && next_request(); --left) {
        const std::optional<std::string> line = stream.ReadLine(kMaxRequestLine + 1);
        if (!line)
            break;
        bool close_connection = left == 1;
        std::optional<std::string> target;
        if (line->size() > kMaxRequestLine || line->back() != '\n') {
            // Beyond what we read: the library answers 414 for any line over its own limit.
            // The rest of the line is never read, so this connection ends after the answer.
            stream.Unread("GET /" + std::string(kLibraryLineLimit, 'x') + " HTTP/1.1\r\n\r\n");
            close_connection = true;
        } else if (line->size() > kLibraryLineLimit) {
            // "METHOD TARGET VERSION": the library sees the path alone.
            const size_t first = line->find(' ');
            const size_t last = line->rfind(' ');
            if (first != std::string::npos && last > first) {
                target = line->substr(first + 1, last - first - 1);
                const std::string path = target->substr(0, target->find('?'));
                stream.Unread(line->substr(0, first + 1) + path + line->substr(last));
            } else {
                stream.Unread(*line);
            }
        } else {
            stream.Unread(*line);
        }
        bool connection_closed = false;
        result = process_request(stream, close_connection, connection_closed,
                                 [&target](httplib::Request& req) {
                                     if (target)
                                         req.target = *target;
                                 });
        if (!result || connection_closed || close_connection)
            break;
    }
    // Unread input left in the socket would make closing it reset the connection and could
    // cut off the answer just written: end our side first and give the client a moment to
    // finish sending.
    shutdown(sock, SHUT_WR);
    const auto drain_until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    char drain[4096];
    while (std::chrono::steady_clock::now() < drain_until && Wait(sock, POLLIN, 200) &&
           recv(sock, drain, sizeof drain, 0) > 0) {
    }
    close(sock);
    return result;
}

} // namespace lookup
