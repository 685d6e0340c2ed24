#pragma once

#include <cstdint>
#include <string_view>

namespace veyrune {

// A fingerprint of the first lines of the event log in file order, so that a
// later read of the whole log can tell whether the lines a reader kept are
// still there unchanged. Meant for one process only (the line hash is not
// stable across builds) and not a guard against tampering: the chain is that.
struct TimelineLogDigest {
    std::uint64_t lines = 0;
    std::uint64_t value = 0;

    void add(std::string_view line);
    bool operator==(const TimelineLogDigest&) const = default;
};

}  // namespace veyrune
