#include "record/EventChain.h"

#include <openssl/evp.h>

#include <limits>

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

std::string EventChain::linkHash(std::string_view line) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(line.data(), line.size(), digest, &length, EVP_sha256(), nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0f];
    }
    return hex;
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
