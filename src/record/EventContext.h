#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veyrune {

// The machine's state when an event was recorded. Every field may be absent.
struct EventContext {
    std::optional<std::int64_t> batteryPercent;
    std::optional<std::string> wifiSSID;
    std::optional<std::string> machineName;
    std::optional<std::string> userName;
    std::optional<std::string> wakeReason;

    bool operator==(const EventContext&) const = default;
};

}  // namespace veyrune
