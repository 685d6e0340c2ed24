#pragma once

#include <cmath>
#include <cstdint>

#include "base/Instant.h"

namespace veyrune {

// Time cut into epochs of a fixed length, counted from the reference date.
// Epoch e spans [start(e), start(e + 1)).
struct SealEpochs {
    static constexpr std::int64_t defaultSeconds = 15 * 60;

    std::int64_t seconds = defaultSeconds;

    std::int64_t epochOf(Instant instant) const {
        return static_cast<std::int64_t>(
            std::floor(secondsSinceReferenceDate(instant) / static_cast<double>(seconds)));
    }
    Instant start(std::int64_t epoch) const {
        return addSeconds(referenceDate(), static_cast<double>(epoch * seconds));
    }
};

}  // namespace veyrune
