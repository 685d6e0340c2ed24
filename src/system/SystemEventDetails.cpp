#include "system/SystemEventDetails.h"

#include <cstdio>

namespace veyrune {

namespace {

std::int32_t integerOrZero(const DeviceProperty& property) {
    if (property) {
        if (const auto* value = std::get_if<std::int64_t>(&*property)) {
            return static_cast<std::int32_t>(*value);
        }
    }
    return 0;
}

std::optional<std::string> stringOrNothing(const DeviceProperty& property) {
    if (property) {
        if (const auto* value = std::get_if<std::string>(&*property)) {
            return *value;
        }
    }
    return std::nullopt;
}

std::string hexIdentifier(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

EventDetails usbEventDetails(const UsbDeviceProperties& device) {
    auto name = stringOrNothing(device.productName);
    if (!name) {
        name = stringOrNothing(device.vendorName);
    }
    EventDetails details{
        {"name", name.value_or("USB Device")},
        {"vendorID", hexIdentifier(integerOrZero(device.vendorID))},
        {"productID", hexIdentifier(integerOrZero(device.productID))},
    };
    if (auto serial = stringOrNothing(device.serialNumber); serial && !serial->empty()) {
        details["serial"] = *serial;
    }
    return details;
}

EventDetails volumeEventDetails(const std::optional<std::string>& path) {
    return {{"path", path.value_or("?")}};
}

EventDetails audioOutputEventDetails(const std::optional<std::string>& name) {
    return {{"name", name.value_or("(unknown)")}};
}

std::optional<std::int64_t> batteryPercent(const std::vector<PowerSourceDescription>& sources) {
    for (const auto& source : sources) {
        if (source.currentCapacity && source.maxCapacity && *source.maxCapacity >= 1) {
            const double fraction = static_cast<double>(*source.currentCapacity) /
                                    static_cast<double>(*source.maxCapacity);
            return static_cast<std::int64_t>(fraction * 100);
        }
    }
    return std::nullopt;
}

}  // namespace veyrune
