#pragma once

#include <QDBusConnection>
#include <filesystem>

#include "system/SystemEventSource.h"
#include "system/linux/DBusContextReader.h"
#include "system/linux/MountInfoMonitor.h"
#include "system/linux/QtAudioOutputMonitor.h"
#include "system/linux/QtMainThreadTimer.h"
#include "system/linux/QtScreenMonitor.h"
#include "system/linux/SessionSignalMonitor.h"
#include "system/linux/SysfsPowerSupplyReader.h"
#include "system/linux/UdevUsbMonitor.h"

namespace veyrune {

// The system event source of a Linux desktop: logind and the screen saver
// (sleep, wake, and one lock or unlock per real change of the session's lock
// state; `lockTimer` times unanswered Lock requests), /proc/self/mountinfo
// (volumes), libudev (USB), QGuiApplication (screens), Qt Multimedia (audio
// output), /sys/class/power_supply, NetworkManager and hostnamed (context).
// Every /sys and /proc path is read under `root`. Main thread.
class LinuxSystemEventSource final : public SystemEventSource {
  public:
    LinuxSystemEventSource(
        QDBusConnection systemBus, QDBusConnection sessionBus, std::filesystem::path root = "/",
        std::unique_ptr<MainThreadTimer> lockTimer = std::make_unique<QtMainThreadTimer>());

    void observe(SystemSignal signal, std::function<void()> handler) override;
    void observeMounts(std::function<void(std::optional<std::string>)> handler) override;
    void observeUnmounts(std::function<void(std::optional<std::string>)> handler) override;
    bool openUsbNotifications() override;
    bool observeUsbDevices(
        UsbDirection direction,
        std::function<void(const std::vector<UsbDeviceProperties>&)> handler) override;
    std::vector<ScreenDescription> currentScreens() override;
    void observeDisplayReconfiguration(
        std::function<void(std::uint32_t, std::uint32_t)> handler) override;
    void observeDefaultAudioOutput(std::function<void()> handler) override;
    std::optional<std::string> defaultAudioOutputName() override;
    std::vector<PowerSourceDescription> powerSources() override;
    std::optional<std::string> wifiSSID() override;
    std::optional<std::string> machineName() override;
    // The login name of the effective user, from the password database.
    std::string userName() override;

  private:
    SessionSignalMonitor sessionSignals_;
    MountInfoMonitor mounts_;
    UdevUsbMonitor usb_;
    QtScreenMonitor screens_;
    QtAudioOutputMonitor audio_;
    SysfsPowerSupplyReader powerSupplies_;
    DBusContextReader services_;
};

}  // namespace veyrune
