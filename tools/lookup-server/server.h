// The HTTP side: routes, headers, the request limit and the log.
#pragma once

#include "rate_limiter.h"
#include "store.h"

#include <memory>
#include <mutex>
#include <ostream>
#include <string>

namespace httplib {
class Server;
}

namespace lookup {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 47311; // 0 takes any free port
    std::string data;
    std::string verdicts;
    std::string setup;
    int rate = 600; // requests per client and minute; 0 for no limit
    int keep_days = 90;
};

class LookupServer {
public:
    LookupServer(Store& store, const ServerOptions& options, std::ostream& log);
    ~LookupServer();

    // Binds the listening socket; on failure says why. Afterwards port() is the real port.
    bool Bind(std::string& error);
    int port() const { return port_; }

    // Serves until Stop(); answers false when serving could not start.
    bool Run();
    // May be called from any thread, also before Run() has started serving.
    void Stop();
    bool running() const;

private:
    void Route();

    Store& store_;
    const ServerOptions options_;
    std::ostream& log_;
    std::mutex log_mutex_;
    RateLimiter limiter_;
    std::unique_ptr<httplib::Server> http_;
    int port_ = 0;
};

} // namespace lookup
