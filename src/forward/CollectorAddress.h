#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// A collector's "host:port" ("[v6-address]:port" for IPv6). The host is also
// the name its certificate must carry.
struct CollectorAddress {
    std::string host;
    std::string port;

    bool operator==(const CollectorAddress&) const = default;
    // Nothing for an empty text, a missing host or a port outside 1 to 65535.
    static std::optional<CollectorAddress> parse(std::string_view text);
};

}  // namespace veyrune
