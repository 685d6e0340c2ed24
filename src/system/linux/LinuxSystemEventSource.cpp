#include "system/linux/LinuxSystemEventSource.h"

#include <pwd.h>
#include <unistd.h>

namespace veyrune {

LinuxSystemEventSource::LinuxSystemEventSource(QDBusConnection systemBus,
                                               QDBusConnection sessionBus,
                                               std::filesystem::path root,
                                               std::unique_ptr<MainThreadTimer> lockTimer)
    : sessionSignals_(systemBus, std::move(sessionBus), std::move(lockTimer)),
      mounts_(root),
      powerSupplies_(root),
      services_(std::move(systemBus)) {}

void LinuxSystemEventSource::observe(SystemSignal signal, std::function<void()> handler) {
    sessionSignals_.observe(signal, std::move(handler));
}

void LinuxSystemEventSource::observeMounts(
    std::function<void(std::optional<std::string>)> handler) {
    mounts_.observeMounts(std::move(handler));
}

void LinuxSystemEventSource::observeUnmounts(
    std::function<void(std::optional<std::string>)> handler) {
    mounts_.observeUnmounts(std::move(handler));
}

bool LinuxSystemEventSource::openUsbNotifications() {
    return usb_.open();
}

bool LinuxSystemEventSource::observeUsbDevices(
    UsbDirection direction, std::function<void(const std::vector<UsbDeviceProperties>&)> handler) {
    return usb_.observe(direction, std::move(handler));
}

std::vector<ScreenDescription> LinuxSystemEventSource::currentScreens() {
    return screens_.currentScreens();
}

void LinuxSystemEventSource::observeDisplayReconfiguration(
    std::function<void(std::uint32_t, std::uint32_t)> handler) {
    screens_.observe(std::move(handler));
}

void LinuxSystemEventSource::observeDefaultAudioOutput(std::function<void()> handler) {
    audio_.observe(std::move(handler));
}

std::optional<std::string> LinuxSystemEventSource::defaultAudioOutputName() {
    return QtAudioOutputMonitor::defaultOutputName();
}

std::vector<PowerSourceDescription> LinuxSystemEventSource::powerSources() {
    return powerSupplies_.powerSources();
}

std::optional<std::string> LinuxSystemEventSource::wifiSSID() {
    return services_.wifiSSID();
}

std::optional<std::string> LinuxSystemEventSource::machineName() {
    return services_.machineName();
}

std::string LinuxSystemEventSource::userName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) {
        return entry->pw_name;
    }
    return std::to_string(::geteuid());
}

}  // namespace veyrune
