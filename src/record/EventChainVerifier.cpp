#include "record/EventChainVerifier.h"

#include <limits>
#include <optional>

#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

constexpr std::int64_t kMaxSeq = std::numeric_limits<std::int64_t>::max();

// Length of the space separator (blank, tab, Unicode Zs) at `at`, or 0.
std::size_t spaceLength(const std::string& text, std::size_t at) {
    auto byte = [&](std::size_t i) { return i < text.size() ? (unsigned char)text[i] : 0u; };
    unsigned char c = byte(at);
    if (c == ' ' || c == '\t') {
        return 1;
    }
    if (c == 0xC2 && byte(at + 1) == 0xA0) {
        return 2;  // U+00A0
    }
    if (c == 0xE1 && byte(at + 1) == 0x9A && byte(at + 2) == 0x80) {
        return 3;  // U+1680
    }
    if (c == 0xE2 && byte(at + 1) == 0x80 &&
        ((byte(at + 2) >= 0x80 && byte(at + 2) <= 0x8A) || byte(at + 2) == 0xAF)) {
        return 3;  // U+2000..U+200A, U+202F
    }
    if (c == 0xE2 && byte(at + 1) == 0x81 && byte(at + 2) == 0x9F) {
        return 3;  // U+205F
    }
    if (c == 0xE3 && byte(at + 1) == 0x80 && byte(at + 2) == 0x80) {
        return 3;  // U+3000
    }
    return 0;
}

bool isBlank(const std::string& line) {
    for (std::size_t i = 0; i < line.size();) {
        std::size_t n = spaceLength(line, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

}  // namespace

ChainVerificationResult EventChainVerifier::verify(const std::vector<std::string>& lines) {
    bool sawLine = false;
    bool started = false;
    std::int64_t legacyCount = 0, verifiedCount = 0, firstSeq = 0, previousSeq = 0;
    const std::string* previousLine = nullptr;
    SecurityEventDecoder decoder;

    for (const auto& line : lines) {
        if (isBlank(line)) {
            continue;
        }
        sawLine = true;
        auto header = decoder.chainFields(line);
        if (!header || !header->seq || !header->prev) {
            if (!started) {
                ++legacyCount;
                continue;
            }
            return ChainVerificationResult::broken(previousSeq == kMaxSeq ? kMaxSeq
                                                                          : previousSeq + 1);
        }
        if (!started) {
            if (*header->prev != EventChain::genesis) {
                return ChainVerificationResult::broken(*header->seq);
            }
            firstSeq = *header->seq;
            started = true;
        } else if (previousSeq == kMaxSeq) {
            // Nothing can follow the largest sequence number.
            return ChainVerificationResult::broken(*header->seq);
        } else if (*header->seq != previousSeq + 1) {
            return ChainVerificationResult::gap(previousSeq, *header->seq);
        } else if (*header->prev != EventChain::linkHash(*previousLine)) {
            return ChainVerificationResult::broken(*header->seq);
        }
        ++verifiedCount;
        previousSeq = *header->seq;
        previousLine = &line;
    }
    if (!sawLine) {
        return ChainVerificationResult::empty();
    }
    if (!started) {
        return ChainVerificationResult::notStarted(legacyCount);
    }
    return ChainVerificationResult::intact(verifiedCount, legacyCount, firstSeq, previousSeq);
}

}  // namespace veyrune
