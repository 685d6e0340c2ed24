#pragma once

#include <string>

#include "record/SecurityEvent.h"

namespace veyrune::test {

// A recorded-looking event with a fixed time, for tests that need any event.
inline SecurityEvent makeEvent(SecurityEventKind kind = SecurityEventKind::screenLocked,
                               Instant at = referenceDate() + std::chrono::hours(24 * 9100),
                               std::string summary = "Screen locked") {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = at;
    event.kind = kind;
    event.summary = std::move(summary);
    return event;
}

}  // namespace veyrune::test
