#include "evidence/EvidencePermissionPreflight.h"

namespace veyrune {

namespace {

const std::string kScreenshotsPurpose =
    " When enabled, Veyrune can capture local screenshots after protected wake or unlock "
    "activity. Evidence is stored locally on this computer and follows your retention settings.";

EvidencePermissionPreflight screenshotsPreflight(std::string requirement) {
    return {"Screenshots", "Screen Recording", std::move(requirement) + kScreenshotsPurpose,
            "Review Screen Recording", "display"};
}

}  // namespace

const EvidencePermissionPreflight& EvidencePermissionPreflight::camera() {
    static const EvidencePermissionPreflight value{
        "Camera Snapshots", "Camera",
        "Camera snapshots are off by default. When enabled, Veyrune can capture a local photo "
        "after protected wake or unlock activity. Evidence is stored locally on this computer "
        "and follows your retention settings.",
        "Review Camera Permission", "camera.viewfinder"};
    return value;
}

const EvidencePermissionPreflight& EvidencePermissionPreflight::screenshots(
    ScreenCaptureMethod method) {
    static const EvidencePermissionPreflight x11 = screenshotsPreflight(
        "Screenshots are off by default and need a connection to the X11 display, which "
        "Veyrune has when it runs in your X11 session.");
    static const EvidencePermissionPreflight portal = screenshotsPreflight(
        "Screenshots are off by default and require your desktop's permission to take "
        "screenshots through the desktop portal; the desktop may ask you the first time.");
    return method == ScreenCaptureMethod::desktopPortal ? portal : x11;
}

}  // namespace veyrune
