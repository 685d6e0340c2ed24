#pragma once

#include <cstdint>

namespace veyrune {

// How hot-plug alerts are grouped into bursts. The defaults are the values the
// application uses.
struct AlertBurstConfiguration {
    // A group is due once this many seconds passed since its last arrival.
    double quietPeriod = 2.0;
    // A due group with at least this many candidates becomes one summary alert.
    std::int64_t burstThreshold = 3;
    // A group is due once this many seconds passed since it opened.
    double maximumHold = 5.0;
    // A burst opened at most this many seconds after a display sleep is marked.
    double sleepProximityWindow = 10.0;

    bool operator==(const AlertBurstConfiguration&) const = default;
};

}  // namespace veyrune
