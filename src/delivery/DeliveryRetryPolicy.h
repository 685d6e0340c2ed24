#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace veyrune {

// When a failed delivery is tried again: after the n-th retryable failure
// (n = 1...10) wait the n-th delay, capped at `maximumDelay`; after that, give up.
struct DeliveryRetryPolicy {
    static constexpr std::array<double, 10> retryDelays = {2,   10,   30,   120,  300,
                                                           900, 1800, 3600, 3600, 3600};
    double maximumDelay = 3600.0;

    // The delay after failed attempt `attempt` (1-based); nothing once retries are used up.
    std::optional<double> delayAfter(std::int64_t attempt) const {
        if (attempt < 1 || attempt > std::int64_t(retryDelays.size())) {
            return std::nullopt;
        }
        return std::min(retryDelays[std::size_t(attempt - 1)], maximumDelay);
    }

    bool operator==(const DeliveryRetryPolicy&) const = default;
};

}  // namespace veyrune
