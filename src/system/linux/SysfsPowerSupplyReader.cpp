#include "system/linux/SysfsPowerSupplyReader.h"

#include <algorithm>

#include "system/linux/SysfsText.h"

namespace veyrune {

SysfsPowerSupplyReader::SysfsPowerSupplyReader(std::filesystem::path root)
    : root_(std::move(root)) {}

std::vector<PowerSourceDescription> SysfsPowerSupplyReader::powerSources() const {
    std::error_code error;
    std::vector<std::filesystem::path> supplies;
    for (const auto& entry :
         std::filesystem::directory_iterator(root_ / "sys/class/power_supply", error)) {
        supplies.push_back(entry.path());
    }
    std::ranges::sort(supplies);
    std::vector<PowerSourceDescription> sources;
    for (const auto& supply : supplies) {
        if (readSysfsLine(supply / "type") != "Battery") {
            continue;
        }
        PowerSourceDescription source;
        if (std::filesystem::exists(supply / "energy_now", error)) {
            source.currentCapacity = readSysfsInteger(supply / "energy_now");
            source.maxCapacity = readSysfsInteger(supply / "energy_full");
        } else {
            source.currentCapacity = readSysfsInteger(supply / "charge_now");
            source.maxCapacity = readSysfsInteger(supply / "charge_full");
        }
        sources.push_back(source);
    }
    return sources;
}

}  // namespace veyrune
