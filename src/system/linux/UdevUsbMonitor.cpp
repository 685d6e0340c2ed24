#include "system/linux/UdevUsbMonitor.h"

#include <libudev.h>

#include <charconv>
#include <cstring>
#include <string_view>

namespace veyrune {

namespace {

DeviceProperty textValue(const char* value) {
    if (!value) {
        return std::nullopt;
    }
    return std::string(value);
}

// A hexadecimal identifier ("05ac") as an integer; any other text stays text.
DeviceProperty hexValue(const char* value) {
    if (!value) {
        return std::nullopt;
    }
    const std::string_view text(value);
    std::int64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::string(text);
    }
    return number;
}

// A sysfs attribute, else the udev property that mirrors it; absent at removal
// the attributes may be gone while the properties remain.
const char* attributeOrProperty(udev_device* device, const char* attribute, const char* property) {
    if (const char* value = udev_device_get_sysattr_value(device, attribute)) {
        return value;
    }
    return property ? udev_device_get_property_value(device, property) : nullptr;
}

}  // namespace

UdevUsbMonitor::UdevUsbMonitor(QObject* parent) : QObject(parent) {}

UdevUsbMonitor::~UdevUsbMonitor() {
    notifier_.reset();
    if (monitor_) {
        udev_monitor_unref(monitor_);
    }
    if (udev_) {
        udev_unref(udev_);
    }
}

bool UdevUsbMonitor::open() {
    if (monitor_) {
        return true;
    }
    udev_ = udev_ ? udev_ : udev_new();
    if (!udev_) {
        return false;
    }
    udev_monitor* monitor = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor) {
        return false;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        return false;
    }
    monitor_ = monitor;
    rememberPresentDevices();
    notifier_ =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { receive(); });
    return true;
}

bool UdevUsbMonitor::observe(UsbDirection direction, Handler handler) {
    if (!monitor_) {
        return false;
    }
    handlers_[direction] = std::move(handler);
    return true;
}

UsbDeviceProperties UdevUsbMonitor::propertiesOf(udev_device* device) {
    UsbDeviceProperties properties;
    properties.vendorID = hexValue(attributeOrProperty(device, "idVendor", "ID_VENDOR_ID"));
    properties.productID = hexValue(attributeOrProperty(device, "idProduct", "ID_MODEL_ID"));
    properties.productName = textValue(attributeOrProperty(device, "product", nullptr));
    properties.vendorName = textValue(attributeOrProperty(device, "manufacturer", nullptr));
    properties.serialNumber = textValue(attributeOrProperty(device, "serial", nullptr));
    return properties;
}

void UdevUsbMonitor::rememberPresentDevices() {
    udev_enumerate* enumerate = udev_enumerate_new(udev_);
    if (!enumerate) {
        return;
    }
    udev_enumerate_add_match_subsystem(enumerate, "usb");
    udev_enumerate_add_match_property(enumerate, "DEVTYPE", "usb_device");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        const char* path = udev_list_entry_get_name(entry);
        if (udev_device* device = udev_device_new_from_syspath(udev_, path)) {
            known_[path] = propertiesOf(device);
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
}

void UdevUsbMonitor::receive() {
    // Consecutive devices of one direction are reported as one batch, in order.
    std::vector<UsbDeviceProperties> batch;
    UsbDirection batchDirection = UsbDirection::arrival;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        const std::string path = udev_device_get_syspath(device);
        std::optional<UsbDirection> direction;
        UsbDeviceProperties properties;
        if (action && std::strcmp(action, "add") == 0) {
            direction = UsbDirection::arrival;
            properties = known_[path] = propertiesOf(device);
        } else if (action && std::strcmp(action, "remove") == 0) {
            direction = UsbDirection::removal;
            auto found = known_.find(path);
            properties = found != known_.end() ? found->second : propertiesOf(device);
            if (found != known_.end()) {
                known_.erase(found);
            }
        }
        udev_device_unref(device);
        if (!direction) {
            continue;
        }
        if (!batch.empty() && *direction != batchDirection) {
            deliver(batchDirection, batch);
        }
        batchDirection = *direction;
        batch.push_back(std::move(properties));
    }
    deliver(batchDirection, batch);
}

void UdevUsbMonitor::deliver(UsbDirection direction, std::vector<UsbDeviceProperties>& batch) {
    if (batch.empty()) {
        return;
    }
    auto found = handlers_.find(direction);
    if (found != handlers_.end() && found->second) {
        found->second(batch);
    }
    batch.clear();
}

}  // namespace veyrune
