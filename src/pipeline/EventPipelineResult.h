#pragma once

#include <optional>

#include "pipeline/EvidenceCaptureRequest.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// What the pipeline decided for one raw event that is to be recorded.
struct EventPipelineResult {
    SecurityEvent event;
    std::optional<EvidenceCaptureRequest> evidenceRequest;
    bool shouldAlert = false;

    bool operator==(const EventPipelineResult&) const = default;
};

}  // namespace veyrune
