#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "system/SystemEventSource.h"

namespace veyrune {

// Names of displays, kept so that a removed display can still be named. Any
// thread; every access holds the cache's own lock and no other.
class DisplayNameCache {
  public:
    // Adds or overwrites the non-empty names of the screens that have an
    // identifier; never removes an entry.
    void refresh(const std::vector<ScreenDescription>& screens);
    std::optional<std::string> name(std::uint32_t displayID) const;
    void remove(std::uint32_t displayID);

  private:
    mutable std::mutex mutex_;
    std::map<std::uint32_t, std::string> names_;  // guarded by mutex_
};

}  // namespace veyrune
