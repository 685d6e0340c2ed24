#pragma once

#include <string>

namespace veyrune {

// The explanation shown before the user turns on camera or screenshot capture.
// Exactly two values exist: `camera()` and `screenshots()`.
struct EvidencePermissionPreflight {
    std::string title;
    std::string permissionName;
    std::string message;
    std::string primaryActionTitle;
    std::string systemImage;

    static const EvidencePermissionPreflight& camera();
    static const EvidencePermissionPreflight& screenshots();

    bool operator==(const EvidencePermissionPreflight&) const = default;
};

}  // namespace veyrune
