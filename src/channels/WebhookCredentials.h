#pragma once

#include <optional>
#include <string>

namespace veyrune {

// Where webhook alerts go: an endpoint URL that parsed (kept as its text) and
// the whole Authorization header value, when the user gave one.
struct WebhookCredentials {
    std::string endpoint;
    std::optional<std::string> authorizationHeader;

    bool operator==(const WebhookCredentials&) const = default;
};

}  // namespace veyrune
