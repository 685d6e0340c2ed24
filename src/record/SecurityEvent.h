#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "record/EventContext.h"
#include "record/SecurityEventKind.h"

namespace veyrune {

// One recorded event. `seq` and `prev` are set only by the event log when it
// writes the line; an event held in memory carries neither.
struct SecurityEvent {
    Uuid id;
    Instant occurredAt;
    SecurityEventKind kind = SecurityEventKind::didWake;
    std::string summary;
    EventContext context;
    std::vector<Uuid> evidenceIDs;
    std::optional<std::int64_t> seq;
    std::optional<std::string> prev;

    bool operator==(const SecurityEvent&) const = default;
};

}  // namespace veyrune
