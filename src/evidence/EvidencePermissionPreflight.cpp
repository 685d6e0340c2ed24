#include "evidence/EvidencePermissionPreflight.h"

namespace veyrune {

const EvidencePermissionPreflight& EvidencePermissionPreflight::camera() {
    static const EvidencePermissionPreflight value{
        "Camera Snapshots", "Camera",
        "Camera snapshots are off by default. When enabled, Veyrune can capture a local photo "
        "after protected wake or unlock activity. Evidence is stored locally on this Mac and "
        "follows your retention settings.",
        "Review Camera Permission", "camera.viewfinder"};
    return value;
}

const EvidencePermissionPreflight& EvidencePermissionPreflight::screenshots() {
    static const EvidencePermissionPreflight value{
        "Screenshots", "Screen Recording",
        "Screenshots are off by default and require macOS Screen Recording permission. When "
        "enabled, Veyrune can capture local screenshots after protected wake or unlock "
        "activity. Evidence is stored locally on this Mac and follows your retention settings.",
        "Review Screen Recording", "display"};
    return value;
}

}  // namespace veyrune
