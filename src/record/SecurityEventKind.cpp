#include "record/SecurityEventKind.h"

namespace veyrune {

namespace {

struct KindTexts {
    std::string_view raw;
    std::string_view title;
};

constexpr std::array<KindTexts, 11> kTexts = {{
    {"didWake", "Wake"},
    {"willSleep", "Sleep"},
    {"screenLocked", "Screen Locked"},
    {"screenUnlocked", "Screen Unlocked"},
    {"usbAttached", "USB Attached"},
    {"usbDetached", "USB Detached"},
    {"volumeMounted", "Volume Mounted"},
    {"volumeUnmounted", "Volume Unmounted"},
    {"displayAdded", "Display Added"},
    {"displayRemoved", "Display Removed"},
    {"audioOutputChanged", "Audio Output Changed"},
}};

}  // namespace

std::string_view rawValue(SecurityEventKind kind) {
    return kTexts[std::size_t(kind)].raw;
}

std::string_view displayTitle(SecurityEventKind kind) {
    return kTexts[std::size_t(kind)].title;
}

std::optional<SecurityEventKind> securityEventKindFromRaw(std::string_view raw) {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (kTexts[i].raw == raw) {
            return SecurityEventKind(i);
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
