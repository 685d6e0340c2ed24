#include "system/SystemEventWatcher.h"

#include "system/SystemSignalTable.h"

namespace veyrune {

SystemEventWatcher::SystemEventWatcher(SystemEventSource& source, WakeReasonProviding& wakeReasons,
                                       Clock& clock, RawEventHandler handler)
    : rawEventHandler(std::move(handler)),
      source_(source),
      wakeReasons_(wakeReasons),
      clock_(clock) {}

void SystemEventWatcher::start() {
    for (const auto& entry : systemSignalTable()) {
        source_.observe(entry.signal, [this, kind = entry.kind, text = entry.source] {
            handleSignal(kind, text);
        });
    }
    source_.observeMounts([this](std::optional<std::string> path) {
        deliver(SecurityEventKind::volumeMounted, volumeEventDetails(path));
    });
    source_.observeUnmounts([this](std::optional<std::string> path) {
        deliver(SecurityEventKind::volumeUnmounted, volumeEventDetails(path));
    });
    startUsb();
    startDisplays();
    source_.observeDefaultAudioOutput([this] {
        deliver(SecurityEventKind::audioOutputChanged,
                audioOutputEventDetails(source_.defaultAudioOutputName()));
    });
}

void SystemEventWatcher::startUsb() {
    if (!source_.openUsbNotifications()) {
        return;
    }
    for (auto pair : {std::pair{UsbDirection::arrival, SecurityEventKind::usbAttached},
                      std::pair{UsbDirection::removal, SecurityEventKind::usbDetached}}) {
        // A plain copy: clang cannot capture a structured binding yet.
        auto kind = pair.second;
        source_.observeUsbDevices(pair.first,
                                  [this, kind](const std::vector<UsbDeviceProperties>& devices) {
                                      for (const auto& device : devices) {
                                          deliver(kind, usbEventDetails(device));
                                      }
                                  });
    }
}

void SystemEventWatcher::startDisplays() {
    if (displayCallbackInstalled_) {
        return;
    }
    displayNames_.refresh(source_.currentScreens());
    source_.observeDisplayReconfiguration([this](std::uint32_t displayID, std::uint32_t flags) {
        handleDisplayReconfiguration(displayID, flags);
    });
    displayCallbackInstalled_ = true;
}

void SystemEventWatcher::handleSignal(SecurityEventKind kind, std::string_view source) {
    EventDetails details{{"source", std::string(source)}};
    if (kind == SecurityEventKind::didWake) {
        auto wake = wakeReasons_.currentWakeReason();
        if (wake.reason && !wake.reason->empty()) {
            details["wakeReason"] = *wake.reason;
        }
        if (wake.type && !wake.type->empty()) {
            details["wakeType"] = *wake.type;
        }
    }
    deliver(kind, std::move(details));
}

void SystemEventWatcher::handleDisplayReconfiguration(std::uint32_t displayID,
                                                      std::uint32_t flags) {
    const bool added = (flags & SystemEventSource::displayAddFlag) != 0;
    const bool removed = (flags & SystemEventSource::displayRemoveFlag) != 0;
    if (added) {
        displayNames_.refresh(source_.currentScreens());
    }
    if (!added && !removed) {
        return;
    }
    EventDetails details;
    if (auto name = displayNames_.name(displayID)) {
        details["name"] = *name;
    }
    if (added) {
        deliver(SecurityEventKind::displayAdded, details);
    }
    if (removed) {
        deliver(SecurityEventKind::displayRemoved, details);
        displayNames_.remove(displayID);
    }
}

void SystemEventWatcher::deliver(SecurityEventKind kind, EventDetails details) const {
    RawSystemEvent event{Uuid::random(), clock_.now(), kind, std::move(details)};
    if (rawEventHandler) {
        rawEventHandler(event);
    }
}

EventContext SystemEventWatcher::currentEventContext() const {
    EventContext context;
    context.batteryPercent = batteryPercent(source_.powerSources());
    context.wifiSSID = source_.wifiSSID();
    context.machineName = source_.machineName();
    context.userName = source_.userName();
    return context;
}

}  // namespace veyrune
