#include "record/EventChainVerifier.h"

#include <limits>

#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

constexpr std::int64_t kMaxSeq = std::numeric_limits<std::int64_t>::max();

// Length of the space separator (blank, tab, Unicode Zs) at `at`, or 0.
std::size_t spaceLength(std::string_view text, std::size_t at) {
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

bool isBlank(std::string_view line) {
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

void EventChainVerifier::add(std::string_view line) {
    if (stopped_ || isBlank(line)) {
        return;
    }
    sawLine_ = true;
    thread_local SecurityEventDecoder decoder;
    auto header = decoder.chainFields(line);
    if (!header || !header->seq || !header->prev) {
        if (!started_) {
            ++legacyCount_;
        } else {
            stopped_ = ChainVerificationResult::broken(previousSeq_ == kMaxSeq ? kMaxSeq
                                                                               : previousSeq_ + 1);
        }
        return;
    }
    std::int64_t seq = *header->seq;
    std::string_view prev = *header->prev;
    if (!started_) {
        if (prev != EventChain::genesis) {
            stopped_ = ChainVerificationResult::broken(seq);
            return;
        }
        firstSeq_ = seq;
        started_ = true;
    } else if (previousSeq_ == kMaxSeq) {
        // Nothing can follow the largest sequence number.
        stopped_ = ChainVerificationResult::broken(seq);
        return;
    } else if (seq != previousSeq_ + 1) {
        stopped_ = ChainVerificationResult::gap(previousSeq_, seq);
        return;
    } else if (prev != std::string_view(previousHash_.data(), previousHash_.size())) {
        stopped_ = ChainVerificationResult::broken(seq);
        return;
    }
    ++verifiedCount_;
    previousSeq_ = seq;
    previousHash_ = EventChain::linkHashChars(line);
}

ChainVerificationResult EventChainVerifier::result() const {
    if (stopped_) {
        return *stopped_;
    }
    if (!sawLine_) {
        return ChainVerificationResult::empty();
    }
    if (!started_) {
        return ChainVerificationResult::notStarted(legacyCount_);
    }
    return ChainVerificationResult::intact(verifiedCount_, legacyCount_, firstSeq_, previousSeq_);
}

ChainVerificationResult EventChainVerifier::verify(const std::vector<std::string>& lines) {
    EventChainVerifier verifier;
    for (const auto& line : lines) {
        verifier.add(line);
        if (verifier.hasStopped()) {
            break;
        }
    }
    return verifier.result();
}

}  // namespace veyrune
