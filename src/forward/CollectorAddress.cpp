#include "forward/CollectorAddress.h"

#include <algorithm>
#include <charconv>

namespace veyrune {

std::optional<CollectorAddress> CollectorAddress::parse(std::string_view text) {
    auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    auto host = text.substr(0, colon);
    auto port = text.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 address needs its brackets
    }
    unsigned number = 0;
    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    bool blank = std::any_of(host.begin(), host.end(), [](char c) { return c <= ' '; });
    if (host.empty() || blank || error != std::errc() || end != port.data() + port.size() ||
        number == 0 || number > 65535) {
        return std::nullopt;
    }
    return CollectorAddress{std::string(host), std::to_string(number)};
}

}  // namespace veyrune
