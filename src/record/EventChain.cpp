#include "record/EventChain.h"

#include <openssl/evp.h>

#include <limits>

#include "record/RecordCoding.h"

namespace veyrune {

const std::string EventChain::genesis(64, '0');

namespace {

// The "seq" of a stored line, read leniently: nothing when the line is not a
// JSON object or "seq" is missing, null or not an integer.
std::optional<std::int64_t> storedSeq(std::string_view line) {
    auto value = parseJSON(line);
    if (!value || !value->is_object()) {
        return std::nullopt;
    }
    auto it = value->find("seq");
    if (it == value->end() || !it->is_number_integer()) {
        return std::nullopt;
    }
    if (it->is_number_unsigned() &&
        it->get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    return it->get<std::int64_t>();
}

}  // namespace

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
    auto seq = storedSeq(lines.back());
    if (!seq || *seq == std::numeric_limits<std::int64_t>::max()) {
        return {1, genesis};
    }
    return {*seq + 1, linkHash(lines.back())};
}

}  // namespace veyrune
