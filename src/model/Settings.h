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

// A text preference and the value it reads as when nothing is stored.
struct StringSetting {
    const char* key;
    const char* defaultValue;
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
// Log engines. An administrator may set any of these for every user in
// /etc/xdg/Veyrune/Veyrune.conf; the user's own value wins.
inline constexpr BoolSetting recordInSystemJournal{"recordInSystemJournal", false};
// "host:port" of a RELP listener with TLS; empty = no central collector.
inline constexpr StringSetting collectorAddress{"collectorAddress", ""};
// PEM files: the CA that signed the collector's certificate (empty = the
// system's CA bundle), and an optional client certificate and its key.
inline constexpr StringSetting collectorCAFile{"collectorCAFile", ""};
inline constexpr StringSetting collectorClientCertificateFile{"collectorClientCertificateFile", ""};
inline constexpr StringSetting collectorClientKeyFile{"collectorClientKeyFile", ""};
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
