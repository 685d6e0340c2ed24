#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "system/SystemEventSource.h"

namespace veyrune {

using EventDetails = std::map<std::string, std::string>;

// "name" (product, else vendor, else "USB Device"), "vendorID" and "productID"
// as "0x%04X" (0 when absent or not an integer), and "serial" when non-empty.
EventDetails usbEventDetails(const UsbDeviceProperties& device);

// "path": the mount point, or "?" when there is none.
EventDetails volumeEventDetails(const std::optional<std::string>& path);

// "name": the output's name, or "(unknown)".
EventDetails audioOutputEventDetails(const std::optional<std::string>& name);

// The charge of the first source whose current capacity is known and whose
// maximum is at least 1, in whole percent truncated toward zero (not clamped).
std::optional<std::int64_t> batteryPercent(const std::vector<PowerSourceDescription>& sources);

}  // namespace veyrune
