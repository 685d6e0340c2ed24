#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/SystemEventSource.h"

struct udev;
struct udev_device;
struct udev_monitor;

namespace veyrune {

// USB devices (subsystem "usb", type "usb_device") arriving and leaving, from
// a libudev monitor read on the main loop. Devices present at `open` are only
// remembered; each device's properties are kept from its arrival so that its
// removal is named the same. Main thread.
class UdevUsbMonitor final : public QObject {
  public:
    using Handler = std::function<void(const std::vector<UsbDeviceProperties>&)>;

    explicit UdevUsbMonitor(QObject* parent = nullptr);
    ~UdevUsbMonitor() override;

    // Creates the monitor; false when libudev cannot. Idempotent.
    bool open();
    // One handler per direction; false before a successful `open`.
    bool observe(UsbDirection direction, Handler handler);

    // The properties of a udev device as an event names it.
    static UsbDeviceProperties propertiesOf(udev_device* device);

  private:
    void rememberPresentDevices();
    void receive();
    void deliver(UsbDirection direction, std::vector<UsbDeviceProperties>& batch);

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<std::string, UsbDeviceProperties> known_;  // by sysfs path
    std::map<UsbDirection, Handler> handlers_;
};

}  // namespace veyrune
