#include "system/linux/SysfsWakeReasonReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <string_view>

#include "system/linux/SysfsText.h"

namespace veyrune {

namespace {

// Fragments of kernel names (lower case) and the word each stands for; the
// first match wins.
constexpr std::array<std::pair<std::string_view, std::string_view>, 24> wakeWords = {{
    {"pnp0c0d", "lid"},
    {"lid", "lid"},
    {"pnp0c0c", "pwrb"},
    {"lnxpwrbn", "pwrb"},
    {"pnp0c0e", "pwrb"},
    {"power", "pwrb"},
    {"i8042", "keyboard"},
    {"serio", "keyboard"},
    {"keyboard", "keyboard"},
    {"kbd", "keyboard"},
    {"rtc", "rtc"},
    {"alarmtimer", "rtc"},
    {"wlan", "wifi"},
    {"wlp", "wifi"},
    {"iwlwifi", "wifi"},
    {"eth", "network"},
    {"enp", "network"},
    {"eno", "network"},
    {"xhci", "usb"},
    {"ehci", "usb"},
    {"hcd", "usb"},
    {"usb", "usb"},
    {"bluetooth", "bluetooth"},
    {"hci", "bluetooth"},
}};

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

SysfsWakeReasonReader::SysfsWakeReasonReader(std::filesystem::path root) : root_(std::move(root)) {}

WakeReason SysfsWakeReasonReader::currentWakeReason() {
    WakeReason wake;
    wake.reason = fromWakeupInterrupt();
    if (!wake.reason) {
        wake.reason = fromWakeupSources();
    }
    return wake;
}

std::optional<std::string> SysfsWakeReasonReader::wakeWord(const std::string& kernelName) {
    const std::string name = lowerCase(kernelName);
    for (const auto& [fragment, word] : wakeWords) {
        if (name.find(fragment) != std::string::npos) {
            return std::string(word);
        }
    }
    return std::nullopt;
}

std::optional<std::string> SysfsWakeReasonReader::fromWakeupInterrupt() const {
    auto irq = readSysfsInteger(root_ / "sys/power/pm_wakeup_irq");
    if (!irq) {
        return std::nullopt;
    }
    auto actions = readSysfsLine(root_ / "sys/kernel/irq" / std::to_string(*irq) / "actions");
    if (!actions) {
        return std::nullopt;
    }
    // A shared interrupt lists its handlers separated by commas; ACPI's own
    // interrupt ("acpi") names no device, so the wakeup sources decide then.
    std::istringstream handlers(*actions);
    std::string handler;
    while (std::getline(handlers, handler, ',')) {
        if (auto word = wakeWord(handler)) {
            return word;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SysfsWakeReasonReader::fromWakeupSources() const {
    std::error_code error;
    std::filesystem::directory_iterator entries(root_ / "sys/class/wakeup", error);
    if (error) {
        return std::nullopt;
    }
    std::optional<std::string> latestName;
    std::int64_t latestChange = -1;
    for (const auto& entry : entries) {
        const auto dir = entry.path();
        auto events = readSysfsInteger(dir / "event_count");
        auto changed = readSysfsInteger(dir / "last_change_ms");
        auto name = readSysfsLine(dir / "name");
        if (events && *events > 0 && changed && name && *changed > latestChange) {
            latestChange = *changed;
            latestName = *name;
        }
    }
    return latestName ? wakeWord(*latestName) : std::nullopt;
}

}  // namespace veyrune
