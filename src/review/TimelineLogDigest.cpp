#include "review/TimelineLogDigest.h"

#include <functional>

namespace veyrune {

void TimelineLogDigest::add(std::string_view line) {
    // Order matters: the same lines in another order give another value.
    constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15;
    value = (value ^ std::hash<std::string_view>{}(line)) * kMultiplier + lines;
    ++lines;
}

}  // namespace veyrune
