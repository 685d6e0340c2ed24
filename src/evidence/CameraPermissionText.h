#pragma once

#include <string>

#include "evidence/CameraAuthorizationStatus.h"

namespace veyrune {

// How a camera permission line reads: fine, needs the user, or switched off.
// Same order as the diagnostics row states.
enum class CameraPermissionReadiness { ready, attention, inactive };

struct CameraPermissionText {
    std::string text;
    CameraPermissionReadiness readiness = CameraPermissionReadiness::attention;

    bool operator==(const CameraPermissionText&) const = default;
};

// The one table of camera permission texts. With capture switched off the
// status is not consulted.
CameraPermissionText cameraPermissionText(bool cameraCaptureEnabled,
                                          CameraAuthorizationStatus status);

}  // namespace veyrune
