#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// The eleven kinds of recorded event, in declaration order.
enum class SecurityEventKind {
    didWake,
    willSleep,
    screenLocked,
    screenUnlocked,
    usbAttached,
    usbDetached,
    volumeMounted,
    volumeUnmounted,
    displayAdded,
    displayRemoved,
    audioOutputChanged,
};

inline constexpr std::array<SecurityEventKind, 11> allSecurityEventKinds = {
    SecurityEventKind::didWake,
    SecurityEventKind::willSleep,
    SecurityEventKind::screenLocked,
    SecurityEventKind::screenUnlocked,
    SecurityEventKind::usbAttached,
    SecurityEventKind::usbDetached,
    SecurityEventKind::volumeMounted,
    SecurityEventKind::volumeUnmounted,
    SecurityEventKind::displayAdded,
    SecurityEventKind::displayRemoved,
    SecurityEventKind::audioOutputChanged,
};

// The raw value: the case name ("didWake").
std::string_view rawValue(SecurityEventKind kind);
std::optional<SecurityEventKind> securityEventKindFromRaw(std::string_view raw);
// "Wake", "Screen Locked", ...
std::string_view displayTitle(SecurityEventKind kind);

}  // namespace veyrune
