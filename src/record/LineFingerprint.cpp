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

}  // namespace

LineFingerprint LineFingerprint::of(std::string_view line) {
    auto digest = sha256({line});
    return {bigEndian(digest.data()), bigEndian(digest.data() + 8)};
}

}  // namespace veyrune
