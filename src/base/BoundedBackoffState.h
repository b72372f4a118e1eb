#pragma once
// Counts automatic retries: delays of 2^min(attempt, 4) seconds (1, 2, 4, 8, 16, 16 …)
// until maximumAttempts have been handed out.
#include <algorithm>
#include <optional>

namespace vantrel {

struct BoundedBackoffState {
    int attempt = 0;
    int maximumAttempts = 5;

    // Seconds to wait before the next retry, or nothing once the attempts are used up.
    std::optional<double> nextDelay()
    {
        if (attempt >= maximumAttempts)
            return std::nullopt;
        const double delay = static_cast<double>(1 << std::min(attempt, 4));
        ++attempt;
        return delay;
    }
    void reset() { attempt = 0; }
    bool isExhausted() const { return attempt >= maximumAttempts; }
};

} // namespace vantrel
