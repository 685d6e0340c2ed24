#include "model/StatusTexts.h"

namespace veyrune::StatusTexts {

namespace {
const std::string kArrow = " \u2192 ";
}

std::string screenshotLabel(bool stitchedMode, int displayCount) {
    if (!stitchedMode) {
        return "Screenshot";
    }
    return "Stitched screenshot (" + std::to_string(displayCount) + " displays)";
}

std::string screenshotSaved(const std::string& reason, const std::string& label,
                            const std::string& fileName) {
    return reason + ": " + label + kArrow + fileName;
}

std::string screenshotNotLinked(const std::string& reason, const std::string& label) {
    return reason + ": " + label + " captured, but its event link could not be saved";
}

std::string screenshotFailed(const std::string& reason) {
    return "Screenshot (" + reason + ") failed or permission denied";
}

std::string photoSaved(const std::string& reason, const std::string& fileName) {
    return reason + ": Photo" + kArrow + fileName;
}

std::string photoNotLinked(const std::string& reason) {
    return reason + ": Photo captured, but its event link could not be saved";
}

std::string cameraFailed(const std::string& reason) {
    return "Camera (" + reason + ") capture failed";
}

std::string cameraDenied(const std::string& reason) {
    return "Camera (" + reason + ") permission denied";
}

std::string testAlert(DeliveryEnqueueOutcome outcome) {
    switch (outcome) {
        case DeliveryEnqueueOutcome::queued:
            return "Test alert queued";
        case DeliveryEnqueueOutcome::disabled:
            return "Test alert skipped: alerts are turned off";
        case DeliveryEnqueueOutcome::notConfigured:
            return "Test alert skipped: add credentials in Settings \u25B8 Alerts";
        case DeliveryEnqueueOutcome::storageUnavailable:
            break;
    }
    return testAlertNotQueued;
}

}  // namespace veyrune::StatusTexts
