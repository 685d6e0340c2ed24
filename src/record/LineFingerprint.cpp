#include "record/LineFingerprint.h"

#include "base/SHA256.h"

namespace veyrune {

namespace {

std::uint64_t bigEndian(const unsigned char* bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::uint64_t fromHexDigits(std::string_view digits) {
    std::uint64_t value = 0;
    for (char c : digits) {
        value = (value << 4) | std::uint64_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
}

}  // namespace

LineFingerprint LineFingerprint::fromHex(std::string_view digest) {
    return {fromHexDigits(digest.substr(0, 16)), fromHexDigits(digest.substr(16, 16))};
}

LineFingerprint LineFingerprint::of(std::string_view line) {
    auto digest = sha256({line});
    return {bigEndian(digest.data()), bigEndian(digest.data() + 8)};
}

}  // namespace veyrune
