#include "system/DisplayNameCache.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace veyrune {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Compositors without EDID data report "Unknown".
std::string_view known(std::string_view text) {
    text = trimmed(text);
    return sameLetters(text, "unknown") ? std::string_view{} : text;
}

std::string_view firstWord(std::string_view text) {
    return text.substr(0, text.find_first_of(" \t"));
}

}  // namespace

std::string displayName(std::string_view manufacturer, std::string_view model,
                        std::string_view connector) {
    manufacturer = known(manufacturer);
    model = known(model);
    if (model.empty()) {
        return std::string(trimmed(connector));
    }
    // EDID names often repeat the maker: "Dell Inc." with "DELL U2720Q".
    if (manufacturer.empty() || sameLetters(firstWord(model), firstWord(manufacturer))) {
        return std::string(model);
    }
    return std::string(manufacturer) + " " + std::string(model);
}

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
