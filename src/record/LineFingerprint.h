#pragma once

#include <cstdint>
#include <string_view>

namespace veyrune {

// The first 128 bits of a line's SHA-256: enough to tell lines apart even when
// someone crafts them to collide, at a fraction of the line's size.
struct LineFingerprint {
    std::uint64_t high = 0, low = 0;

    static LineFingerprint of(std::string_view line);
    // The same from a SHA-256 already written as hexadecimal digits (at least 32).
    static LineFingerprint fromHex(std::string_view digest);
    auto operator<=>(const LineFingerprint&) const = default;
};

}  // namespace veyrune
