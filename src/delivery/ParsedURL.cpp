#include "delivery/ParsedURL.h"

#include <curl/curl.h>

#include <memory>

namespace veyrune {

namespace {

struct URLCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

// libcurl forgives "https:/host" and "https:///host"; a URL names a host only
// when "//" and a non-empty authority follow the scheme.
bool hasAuthority(std::string_view text) {
    auto colon = text.find(':');
    auto rest = text.substr(colon + 1);
    return rest.size() > 2 && rest.starts_with("//") && rest[2] != '/';
}

}  // namespace

std::optional<ParsedURL> ParsedURL::parse(std::string_view text) {
    std::unique_ptr<CURLU, URLCleanup> url(curl_url());
    if (!url) {
        return std::nullopt;
    }
    std::string terminated(text);  // libcurl wants a C string
    if (terminated.find('\0') != std::string::npos ||
        curl_url_set(url.get(), CURLUPART_URL, terminated.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
            CURLUE_OK) {
        return std::nullopt;
    }
    auto scheme = part(url.get(), CURLUPART_SCHEME);
    if (!scheme) {
        return std::nullopt;
    }
    if (!hasAuthority(text)) {
        return ParsedURL{*scheme, ""};
    }
    return ParsedURL{*scheme, part(url.get(), CURLUPART_HOST).value_or("")};
}

}  // namespace veyrune
