#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/ChainVerificationResult.h"
#include "record/EventChain.h"

namespace veyrune {

// Walks the stored lines of the event log in file order and tells whether the
// chain holds. Keeps only what the next line is checked against (the previous
// chained line's hash), so a log of any length streams through it; a copy
// continues on its own. Works on the stored text only; never throws. One
// instance is used by one thread at a time.
class EventChainVerifier {
  public:
    // The next non-empty line. Blank lines are ignored; after a break or a
    // gap nothing changes the verdict any more.
    void add(std::string_view line);
    // The verdict on the lines added so far.
    ChainVerificationResult result() const;
    // A break or a gap was found, so later lines do not matter.
    bool hasStopped() const { return stopped_.has_value(); }
    // Lines before the first chained one (legacy or undecodable) so far.
    std::int64_t legacyCount() const { return legacyCount_; }
    // Chained lines verified so far, and the last of them: its seq and hash.
    std::int64_t verifiedCount() const { return verifiedCount_; }
    std::int64_t lastSeq() const { return previousSeq_; }
    std::string_view lastHash() const { return {previousHash_.data(), previousHash_.size()}; }

    // `lines` in file order, split at "\n" with empty pieces dropped.
    static ChainVerificationResult verify(const std::vector<std::string>& lines);

  private:
    bool sawLine_ = false;
    bool started_ = false;
    std::int64_t legacyCount_ = 0;
    std::int64_t verifiedCount_ = 0;
    std::int64_t firstSeq_ = 0;
    std::int64_t previousSeq_ = 0;
    EventChain::LinkHash previousHash_{};
    std::optional<ChainVerificationResult> stopped_;
};

}  // namespace veyrune
