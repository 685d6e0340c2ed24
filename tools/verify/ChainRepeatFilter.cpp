#include "verify/ChainRepeatFilter.h"

#include <charconv>
#include <optional>

namespace veyrune {

namespace {

// The seq of a line as the store writes it, without decoding the line. A quote
// inside a JSON string is escaped, so the key found is the line's own; a line
// written otherwise has none here and is only compared whole.
std::optional<std::int64_t> quickSeq(std::string_view text) {
    constexpr std::string_view key = "\"seq\":";
    auto at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t seq = 0;
    auto digits = text.substr(at + key.size());
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seq);
    if (error != std::errc() || end == digits.data()) {
        return std::nullopt;
    }
    return seq;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

bool ChainRepeatFilter::isRepeat(std::string_view text, const EventChainVerifier& chain) {
    if (isBlank(text)) {
        return false;
    }
    auto seq = quickSeq(text);
    bool running = chain.verifiedCount() > 0 && !chain.hasStopped();
    if (running && seq && *seq == chain.lastSeq() + 1) {
        return false;
    }
    auto fingerprint = LineFingerprint::of(text);
    if (seq && *seq >= firstSeq_ && *seq - firstSeq_ < std::int64_t(taken_.size()) &&
        taken_[std::size_t(*seq - firstSeq_)] == fingerprint) {
        return true;
    }
    return others_.contains(fingerprint);
}

void ChainRepeatFilter::remember(std::string_view text, const EventChainVerifier& chain,
                                 std::int64_t verifiedBefore) {
    if (isBlank(text)) {
        return;
    }
    if (chain.verifiedCount() > verifiedBefore) {
        if (taken_.empty()) {
            firstSeq_ = chain.lastSeq();
        }
        taken_.push_back(LineFingerprint::fromHex(chain.lastHash()));
    } else {
        others_.insert(LineFingerprint::of(text));
    }
}

}  // namespace veyrune
