#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
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

// The name events give a display: the monitor's manufacturer and model
// ("Dell Inc. U2720Q"; the model alone when it already starts with the
// manufacturer's first word, as in "DELL U2720Q"), or `connector` ("HDMI-1")
// when the model is unknown. Blank or "Unknown" values count as unknown.
std::string displayName(std::string_view manufacturer, std::string_view model,
                        std::string_view connector);

}  // namespace veyrune
