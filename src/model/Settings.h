#pragma once

#include <cstdint>

namespace veyrune {

// A boolean preference and the value it reads as when nothing is stored.
struct BoolSetting {
    const char* key;
    bool defaultValue;
};

// An integer preference and the value it reads as when nothing is stored.
struct IntSetting {
    const char* key;
    std::int64_t defaultValue;
};

// Every preference Veyrune keeps, with its default: the one table.
// Credentials are never preferences; they live in the keyring.
namespace Settings {
inline constexpr BoolSetting enableTelegram{"enableTelegram", false};
inline constexpr BoolSetting enableWebhook{"enableWebhook", false};
inline constexpr BoolSetting captureCamera{"captureCamera", false};
inline constexpr BoolSetting captureScreenshots{"captureScreenshots", false};
// 0 = primary display only, any other value = all displays stitched.
inline constexpr IntSetting screenshotModeRaw{"screenshotModeRaw", 1};
inline constexpr IntSetting evidenceKeepDays{"evidenceKeepDays", 7};
// 0 = no cap.
inline constexpr IntSetting evidenceMaxMB{"evidenceMaxMB", 512};
inline constexpr BoolSetting autoArmOnSleep{"autoArmOnSleep", false};
inline constexpr BoolSetting alertOnMaintenanceWake{"alertOnMaintenanceWake", false};
// On Linux: whether Veyrune's windows are listed in the taskbar.
inline constexpr BoolSetting showDockIcon{"showDockIcon", true};
inline constexpr BoolSetting captureUSB{"captureUSB", true};
inline constexpr BoolSetting captureVolumes{"captureVolumes", true};
inline constexpr BoolSetting captureDisplay{"captureDisplay", true};
inline constexpr BoolSetting captureAudio{"captureAudio", false};
// The switch only: whether sealing runs is whether its key file exists.
inline constexpr BoolSetting sealEventLog{"sealEventLog", false};
inline constexpr BoolSetting hasCompletedOnboarding{"hasCompletedOnboarding", false};
// Read once at start.
inline constexpr BoolSetting developerMode{"VeyruneDeveloperMode", false};

// The settings window's control ranges.
inline constexpr std::int64_t keepDaysMinimum = 1;
inline constexpr std::int64_t keepDaysMaximum = 90;
inline constexpr std::int64_t maxMBMaximum = 8192;
inline constexpr std::int64_t maxMBStep = 128;
}  // namespace Settings

}  // namespace veyrune
