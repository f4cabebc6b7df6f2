// A small HTTP server on 127.0.0.1 for the scan tests: one request per connection, answered
// by a function the test gives, every request's target kept. It can also stay silent (accept
// and never answer) to stand for a server that hangs.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::test {

struct HttpAnswer {
    int status = 200;
    std::string body;
    std::string headers; // extra header lines, each ending "\r\n"
    bool silent = false; // read the request, never answer
};

class TestHttpServer {
public:
    using Handler = std::function<HttpAnswer(const std::string& target)>;

    explicit TestHttpServer(Handler handler) : handler_(std::move(handler)) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        int length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TestHttpServer() {
        stop_ = true;
        thread_.join();
        ::closesocket(listener_);
        for (SOCKET s : held_)
            ::closesocket(s);
        ::WSACleanup();
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return port_; }
    std::wstring Base() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/"; }
    std::vector<std::string> Targets() {
        std::lock_guard lock(mutex_);
        return targets_;
    }

private:
    void Serve() {
        while (!stop_) {
            // A blocked accept is not reliably woken by closing its socket; look every 50 ms.
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener_, &readable);
            timeval wait{0, 50000};
            if (::select(0, &readable, nullptr, nullptr, &wait) <= 0)
                continue;
            const SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, got);
            }
            const size_t start = request.find(' ') + 1;
            const std::string target = request.substr(start, request.find(' ', start) - start);
            {
                std::lock_guard lock(mutex_);
                targets_.push_back(target);
            }
            const HttpAnswer answer = handler_(target);
            if (answer.silent) {
                held_.push_back(client);
                continue;
            }
            const std::string reply = "HTTP/1.1 " + std::to_string(answer.status) +
                                      " X\r\nContent-Type: text/html; charset=utf-8\r\n" +
                                      "Content-Length: " + std::to_string(answer.body.size()) +
                                      "\r\nConnection: close\r\n" + answer.headers + "\r\n" +
                                      answer.body;
            size_t sent = 0;
            while (sent < reply.size()) {
                const int n =
                    ::send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
                if (n <= 0)
                    break;
                sent += n;
            }
            ::shutdown(client, SD_SEND);
            ::closesocket(client);
        }
    }

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> targets_;
    std::vector<SOCKET> held_; // silent connections, closed at the end
};

} // namespace tessaly::test
