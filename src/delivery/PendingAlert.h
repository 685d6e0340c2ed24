#pragma once

#include <string>

#include "record/SecurityEvent.h"

namespace veyrune {

// One alert ready for delivery: the event it is about (for a burst, the first
// candidate's) and the text that replaces that event's summary.
struct PendingAlert {
    SecurityEvent anchor;
    std::string summary;

    // The event handed to delivery: the anchor with this alert's summary, so a
    // burst is filed under its first event's identifier.
    SecurityEvent deliveredEvent() const {
        SecurityEvent event = anchor;
        event.summary = summary;
        return event;
    }

    bool operator==(const PendingAlert&) const = default;
};

}  // namespace veyrune
