#include "record/EventChain.h"

#include <limits>

#include "base/Hex.h"
#include "base/SHA256.h"
#include "record/RecordCoding.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

const std::string EventChain::genesis(64, '0');

std::string EventChain::canonicalLine(const SecurityEvent& event) {
    try {
        return compactText(toJSON(event, DateEncoding::iso8601));
    } catch (const nlohmann::json::type_error&) {
        throw EventChainError(EventChainError::Code::encodingFailed);
    }
}

EventChain::LinkHash EventChain::linkHashChars(std::string_view line) {
    const SHA256Digest digest = sha256({line});
    LinkHash hex;
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        hex[2 * i] = hexDigit(digest[i] >> 4);
        hex[2 * i + 1] = hexDigit(digest[i]);
    }
    return hex;
}

std::string EventChain::linkHash(std::string_view line) {
    auto hex = linkHashChars(line);
    return std::string(hex.begin(), hex.end());
}

EventChain::Header EventChain::nextHeader(const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return {1, genesis};
    }
    auto fields = SecurityEventDecoder().chainFields(lines.back());
    auto seq = fields ? fields->seq : std::nullopt;
    if (!seq || *seq == std::numeric_limits<std::int64_t>::max()) {
        return {1, genesis};
    }
    return {*seq + 1, linkHash(lines.back())};
}

}  // namespace veyrune
