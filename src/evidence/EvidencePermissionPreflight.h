#pragma once

#include <string>

#include "evidence/ScreenCaptureMethod.h"

namespace veyrune {

// The explanation shown before the user turns on camera or screenshot capture:
// `camera()`, and `screenshots(method)` for the way this session takes them
// (the X11 display, or the desktop portal that asks the user itself).
struct EvidencePermissionPreflight {
    std::string title;
    std::string permissionName;
    std::string message;
    std::string primaryActionTitle;
    std::string systemImage;

    static const EvidencePermissionPreflight& camera();
    static const EvidencePermissionPreflight& screenshots(ScreenCaptureMethod method);

    bool operator==(const EvidencePermissionPreflight&) const = default;
};

}  // namespace veyrune
