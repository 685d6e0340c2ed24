#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Instant.h"

namespace veyrune {

// How one route of the log (the system journal, a central collector) is doing,
// for Diagnostics. A plain value, copied out of the forwarder.
struct ForwardingStatus {
    enum class State {
        off,         // not configured or switched off
        connecting,  // configured, nothing taken yet since start or the last failure
        connected,   // the last send was taken
        failing,     // the last attempt failed; `error` says why
    };

    State state = State::off;
    std::uint64_t waitingLines = 0;  // stored lines not yet taken
    std::string error;               // the last failure's text, empty when none
    std::optional<Instant> lastTakenAt;

    bool operator==(const ForwardingStatus&) const = default;
};

}  // namespace veyrune
