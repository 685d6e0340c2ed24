#pragma once

#include <string>

#include "delivery/DeliveryEnqueueOutcome.h"

namespace veyrune {

// Every status line the application model shows, in one place. `reason` is
// "Wake", "Unlock" or "Manual Test"; `fileName` the saved file's last path part.
namespace StatusTexts {
inline constexpr const char* armedBeforeSleep = "Veyrune armed before sleep";
inline constexpr const char* testAlertNotQueued = "Test alert could not be queued";

// "Stitched screenshot (N displays)" in the all-displays mode, else "Screenshot".
std::string screenshotLabel(bool stitchedMode, int displayCount);
std::string screenshotSaved(const std::string& reason, const std::string& label,
                            const std::string& fileName);
std::string screenshotNotLinked(const std::string& reason, const std::string& label);
std::string screenshotFailed(const std::string& reason);
std::string photoSaved(const std::string& reason, const std::string& fileName);
std::string photoNotLinked(const std::string& reason);
std::string cameraFailed(const std::string& reason);
std::string cameraDenied(const std::string& reason);
std::string testAlert(DeliveryEnqueueOutcome outcome);
}  // namespace StatusTexts

}  // namespace veyrune
