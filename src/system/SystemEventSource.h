#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "system/SystemSignal.h"

namespace veyrune {

// A device property as the platform gives it: an integer, a string, or nothing.
using DeviceProperty = std::optional<std::variant<std::int64_t, std::string>>;

// The properties of one USB device that name it in an event.
struct UsbDeviceProperties {
    DeviceProperty vendorID;
    DeviceProperty productID;
    DeviceProperty productName;
    DeviceProperty vendorName;
    DeviceProperty serialNumber;

    bool operator==(const UsbDeviceProperties&) const = default;
};

enum class UsbDirection { arrival, removal };

// One screen as listed now; screens without an identifier are listed too.
struct ScreenDescription {
    std::optional<std::uint32_t> displayID;
    std::string name;
};

// One power source's charge, each value present only when it is an integer.
struct PowerSourceDescription {
    std::optional<std::int64_t> currentCapacity;
    std::optional<std::int64_t> maxCapacity;
};

// Every platform operation the system event watcher needs. Registrations are
// made on the main thread and never undone; every handler runs on the main
// thread, once per signal. The source must outlive the handlers' owner.
class SystemEventSource {
  public:
    // Bits of the display reconfiguration flag word.
    static constexpr std::uint32_t displayAddFlag = 16;
    static constexpr std::uint32_t displayRemoveFlag = 32;

    virtual ~SystemEventSource() = default;

    // The lock and unlock signals come once per real change of the session's
    // lock state, however many platform signals carried it.
    virtual void observe(SystemSignal signal, std::function<void()> handler) = 0;
    // Volumes: the mount point, or nothing when the platform did not give one.
    virtual void observeMounts(std::function<void(std::optional<std::string> path)> handler) = 0;
    virtual void observeUnmounts(std::function<void(std::optional<std::string> path)> handler) = 0;

    // USB: opens the device notifications; false when that is impossible.
    virtual bool openUsbNotifications() = 0;
    // Reports each batch of devices arriving or leaving after this call (devices
    // present now are never reported as arrivals). False when the registration
    // failed. A removed device carries the properties it arrived with.
    virtual bool observeUsbDevices(
        UsbDirection direction,
        std::function<void(const std::vector<UsbDeviceProperties>&)> handler) = 0;

    virtual std::vector<ScreenDescription> currentScreens() = 0;
    // Called with (display identifier, flag word) for every reconfiguration step.
    virtual void observeDisplayReconfiguration(
        std::function<void(std::uint32_t displayID, std::uint32_t flags)> handler) = 0;

    // Called after each change of the default audio output.
    virtual void observeDefaultAudioOutput(std::function<void()> handler) = 0;
    // Nothing when there is no default output or its name cannot be read.
    virtual std::optional<std::string> defaultAudioOutputName() = 0;

    // Event context. Empty when the power sources cannot be read.
    virtual std::vector<PowerSourceDescription> powerSources() = 0;
    virtual std::optional<std::string> wifiSSID() = 0;
    virtual std::optional<std::string> machineName() = 0;
    virtual std::string userName() = 0;
};

}  // namespace veyrune
