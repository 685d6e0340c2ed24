#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// The parts of an absolute URL the delivery code looks at, parsed by libcurl's
// URL parser. Any scheme is accepted; the text must name one ("scheme://").
struct ParsedURL {
    std::string scheme;  // lower case
    std::string host;    // as written; empty when the URL has none

    // Nothing when the text is not a URL (no scheme, spaces, bad port, ...).
    static std::optional<ParsedURL> parse(std::string_view text);
};

}  // namespace veyrune
