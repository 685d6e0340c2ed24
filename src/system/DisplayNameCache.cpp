#include "system/DisplayNameCache.h"

#include <utility>

namespace veyrune {

void DisplayNameCache::refresh(const std::vector<ScreenDescription>& screens) {
    std::vector<std::pair<std::uint32_t, std::string>> pairs;
    for (const auto& screen : screens) {
        if (screen.displayID) {
            pairs.emplace_back(*screen.displayID, screen.name);
        }
    }
    std::lock_guard lock(mutex_);
    for (auto& [id, name] : pairs) {
        if (!name.empty()) {
            names_[id] = std::move(name);
        }
    }
}

std::optional<std::string> DisplayNameCache::name(std::uint32_t displayID) const {
    std::lock_guard lock(mutex_);
    auto found = names_.find(displayID);
    if (found == names_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void DisplayNameCache::remove(std::uint32_t displayID) {
    std::lock_guard lock(mutex_);
    names_.erase(displayID);
}

}  // namespace veyrune
