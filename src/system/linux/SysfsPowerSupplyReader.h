#pragma once

#include <filesystem>
#include <vector>

#include "system/SystemEventSource.h"

namespace veyrune {

// The batteries of /sys/class/power_supply (type "Battery"), in name order,
// each with energy_now / energy_full, else charge_now / charge_full. Paths are
// read under `root`. Any thread.
class SysfsPowerSupplyReader {
  public:
    explicit SysfsPowerSupplyReader(std::filesystem::path root = "/");
    std::vector<PowerSourceDescription> powerSources() const;

  private:
    std::filesystem::path root_;
};

}  // namespace veyrune
