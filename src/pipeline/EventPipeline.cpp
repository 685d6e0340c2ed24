#include "pipeline/EventPipeline.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace veyrune {

namespace {

std::optional<std::string> detail(const RawSystemEvent& raw, const std::string& key) {
    auto it = raw.details.find(key);
    if (it == raw.details.end()) {
        return std::nullopt;
    }
    return it->second;
}

// Lower case with every blank removed, so "Power Button" matches "powerbutton".
std::string folded(std::string_view text) {
    std::string result;
    for (unsigned char c : text) {
        if (!std::isspace(c)) {
            result.push_back(char(std::tolower(c)));
        }
    }
    return result;
}

template <std::size_t N>
bool containsAny(const std::string& text, const std::array<std::string_view, N>& words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return text.find(word) != std::string::npos; });
}

constexpr std::array<std::string_view, 3> kMaintenanceTypeWords = {"maintenance", "sleeptimer",
                                                                   "notification"};
constexpr std::array<std::string_view, 8> kUserReasonWords = {
    "lid", "pwrb", "powerbutton", "hid", "keyboard", "trackpad", "trac", "menu"};
constexpr std::array<std::string_view, 10> kMaintenanceReasonWords = {
    "rtc",     "alarm", "timer",     "tmr", "sleeptimer",
    "network", "wifi",  "bluetooth", "bt.", "maintenance"};

std::optional<std::string> wakeReasonText(
    const std::optional<EventPipeline::WakeInformation>& wake) {
    if (!wake) {
        return std::nullopt;
    }
    if (wake->reason.empty()) {
        return wake->type;
    }
    if (wake->type.empty()) {
        return wake->reason;
    }
    return wake->reason + " / " + wake->type;
}

std::optional<EvidenceCaptureRequest> evidenceRequest(
    const SecurityEvent& event, const EventPipelineConfiguration& configuration) {
    if (!configuration.captureCamera && !configuration.captureScreenshots) {
        return std::nullopt;
    }
    std::string reason;
    if (event.kind == SecurityEventKind::didWake) {
        reason = "Wake";
    } else if (event.kind == SecurityEventKind::screenUnlocked) {
        reason = "Unlock";
    } else {
        return std::nullopt;
    }
    return EvidenceCaptureRequest{event.id, reason, configuration.captureCamera,
                                  configuration.captureScreenshots};
}

}  // namespace

std::optional<EventPipelineResult> EventPipeline::process(
    const RawSystemEvent& raw, const EventContext& context,
    const EventPipelineConfiguration& configuration) const {
    if (!configuration.isArmed || !passesKindFilter(raw.kind, configuration)) {
        return std::nullopt;
    }
    auto wake = wakeInformation(raw);
    EventContext eventContext = context;
    eventContext.wakeReason = wakeReasonText(wake);

    EventPipelineResult result;
    result.event = SecurityEvent{raw.id, raw.occurredAt, raw.kind,    summary(raw), eventContext,
                                 {},     std::nullopt,   std::nullopt};
    result.evidenceRequest = evidenceRequest(result.event, configuration);
    result.shouldAlert = !(wake && !configuration.alertOnMaintenanceWake &&
                           isMaintenanceWake(wake->reason, wake->type));
    return result;
}

std::string EventPipeline::summary(const RawSystemEvent& raw) {
    auto name = detail(raw, "name");
    auto path = detail(raw, "path");
    auto bracketedName = [&] { return name && !name->empty() ? " (" + *name + ")" : ""; };
    switch (raw.kind) {
        case SecurityEventKind::didWake:
            return "System woke from sleep";
        case SecurityEventKind::willSleep:
            return "System will sleep";
        case SecurityEventKind::screenLocked:
            return "Screen locked";
        case SecurityEventKind::screenUnlocked:
            return "Screen unlocked";
        case SecurityEventKind::usbAttached:
            return "USB attached: " + name.value_or("USB Device");
        case SecurityEventKind::usbDetached:
            return "USB detached: " + name.value_or("USB Device");
        case SecurityEventKind::volumeMounted:
            return "Volume mounted: " + path.value_or("?");
        case SecurityEventKind::volumeUnmounted:
            return "Volume unmounted: " + path.value_or("?");
        case SecurityEventKind::displayAdded:
            return "Display added" + bracketedName();
        case SecurityEventKind::displayRemoved:
            return "Display removed" + bracketedName();
        case SecurityEventKind::audioOutputChanged:
            return "Audio output: " + name.value_or("(unknown)");
    }
    return {};
}

bool EventPipeline::passesKindFilter(SecurityEventKind kind,
                                     const EventPipelineConfiguration& configuration) {
    switch (kind) {
        case SecurityEventKind::didWake:
        case SecurityEventKind::willSleep:
        case SecurityEventKind::screenLocked:
        case SecurityEventKind::screenUnlocked:
            return true;
        case SecurityEventKind::usbAttached:
        case SecurityEventKind::usbDetached:
            return configuration.captureUSB;
        case SecurityEventKind::volumeMounted:
        case SecurityEventKind::volumeUnmounted:
            return configuration.captureVolumes;
        case SecurityEventKind::displayAdded:
        case SecurityEventKind::displayRemoved:
            return configuration.captureDisplay;
        case SecurityEventKind::audioOutputChanged:
            return configuration.captureAudio;
    }
    return false;
}

std::optional<EventPipeline::WakeInformation> EventPipeline::wakeInformation(
    const RawSystemEvent& raw) {
    if (raw.kind != SecurityEventKind::didWake || raw.details.empty()) {
        return std::nullopt;
    }
    WakeInformation wake{detail(raw, "wakeReason").value_or(""),
                         detail(raw, "wakeType").value_or("")};
    if (wake.reason.empty() && wake.type.empty()) {
        return std::nullopt;
    }
    return wake;
}

bool EventPipeline::isMaintenanceWake(std::string_view reason, std::string_view type) {
    const std::string t = folded(type);
    const std::string r = folded(reason);
    if (t.find("user") != std::string::npos) {
        return false;
    }
    if (containsAny(t, kMaintenanceTypeWords)) {
        return true;
    }
    if (containsAny(r, kUserReasonWords)) {
        return false;
    }
    return containsAny(r, kMaintenanceReasonWords);
}

}  // namespace veyrune
