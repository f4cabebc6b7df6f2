// Requests per client and minute, as a token bucket: a client may spend the whole minute's
// allowance at once, and it refills evenly over the minute.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

namespace lookup {

class RateLimiter {
public:
    // 0 allows everything.
    explicit RateLimiter(int per_minute) : per_minute_(per_minute) {}

    // 0 when the request may go now; otherwise the whole seconds until it may.
    int Take(const std::string& client, double now_seconds);

private:
    struct Bucket {
        double tokens;
        double updated;
    };

    const int per_minute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    unsigned takes_ = 0;
};

} // namespace lookup
