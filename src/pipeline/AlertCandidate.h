#pragma once

#include <map>
#include <string>

#include "record/SecurityEvent.h"

namespace veyrune {

// A recorded event on its way to delivery, with the raw event's details
// unchanged (the burst summary reads "name" and "path" from them).
struct AlertCandidate {
    SecurityEvent event;
    std::map<std::string, std::string> details;

    bool operator==(const AlertCandidate&) const = default;
};

}  // namespace veyrune
