#include "rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace lookup {

int RateLimiter::Take(const std::string& client, double now_seconds) {
    if (per_minute_ <= 0)
        return 0;
    const double capacity = per_minute_;
    const double per_second = capacity / 60.0;
    std::lock_guard lock(mutex_);
    // Clients that have been quiet long enough to be full again need no entry.
    if (++takes_ % 1024 == 0) {
        std::erase_if(buckets_, [&](const auto& entry) {
            return entry.second.tokens + (now_seconds - entry.second.updated) * per_second >=
                   capacity;
        });
    }
    auto [it, fresh] = buckets_.try_emplace(client, Bucket{capacity, now_seconds});
    Bucket& bucket = it->second;
    if (!fresh) {
        const double elapsed = std::max(0.0, now_seconds - bucket.updated);
        bucket.tokens = std::min(capacity, bucket.tokens + elapsed * per_second);
        bucket.updated = now_seconds;
    }
    if (bucket.tokens >= 1.0) {
        bucket.tokens -= 1.0;
        return 0;
    }
    // The small allowance keeps rounding noise from adding a second.
    return std::max(1, static_cast<int>(std::ceil((1.0 - bucket.tokens) / per_second - 1e-6)));
}

} // namespace lookup
