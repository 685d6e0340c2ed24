#pragma once

#include <optional>
#include <string>

namespace veyrune {

// Why the machine last woke. Each member is absent unless non-empty.
struct WakeReason {
    std::optional<std::string> reason;
    std::optional<std::string> type;

    bool operator==(const WakeReason&) const = default;
};

// Reads the reason of the latest wake, at the moment it is asked. Main thread.
class WakeReasonProviding {
  public:
    virtual ~WakeReasonProviding() = default;
    virtual WakeReason currentWakeReason() = 0;
};

}  // namespace veyrune
