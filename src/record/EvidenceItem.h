#pragma once

#include <cstdint>
#include <string>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "record/EvidenceKind.h"

namespace veyrune {

// Links one captured file to one event. `fileURL` is an absolute file URL
// ("file:///..." with the path percent-encoded).
struct EvidenceItem {
    Uuid id;
    Uuid eventID;
    EvidenceKind kind = EvidenceKind::screenshot;
    std::string fileURL;
    Instant createdAt;
    std::int64_t byteCount = 0;

    bool operator==(const EvidenceItem&) const = default;
};

}  // namespace veyrune
