#include "channels/ParsedURL.h"

#include "channels/CurlHTTPClient.h"

namespace veyrune {

namespace {

// libcurl forgives "https:/host" and "https:///host"; a URL names a host only
// when "//" and a non-empty authority follow the scheme.
bool hasAuthority(std::string_view text) {
    auto colon = text.find(':');
    auto rest = text.substr(colon + 1);
    return rest.size() > 2 && rest.starts_with("//") && rest[2] != '/';
}

}  // namespace

std::optional<ParsedURL> ParsedURL::parse(std::string_view text) {
    auto parts = CurlHTTPClient::splitURL(text);
    if (!parts) {
        return std::nullopt;
    }
    if (!hasAuthority(text)) {
        return ParsedURL{parts->scheme, ""};
    }
    return ParsedURL{parts->scheme, parts->host.value_or("")};
}

}  // namespace veyrune
