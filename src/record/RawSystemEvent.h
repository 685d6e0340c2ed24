#pragma once

#include <map>
#include <string>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "record/SecurityEventKind.h"

namespace veyrune {

// A system signal as the watcher reports it. Details read elsewhere: "name",
// "path", "wakeReason", "wakeType"; other keys are carried along unchanged.
struct RawSystemEvent {
    Uuid id;
    Instant occurredAt;
    SecurityEventKind kind = SecurityEventKind::didWake;
    std::map<std::string, std::string> details;

    bool operator==(const RawSystemEvent&) const = default;
};

}  // namespace veyrune
