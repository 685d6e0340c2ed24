#pragma once

#include <string>

#include "base/Uuid.h"

namespace veyrune {

// Asks for evidence of one recorded event. `reason` is "Wake" or "Unlock".
struct EvidenceCaptureRequest {
    Uuid eventID;
    std::string reason;
    bool captureCamera = false;
    bool captureScreenshot = false;

    bool operator==(const EvidenceCaptureRequest&) const = default;
};

}  // namespace veyrune
