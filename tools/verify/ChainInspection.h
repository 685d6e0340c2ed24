#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "record/EventChainVerifier.h"
#include "record/SecurityEventDecoder.h"
#include "seal/SealedLogVerifier.h"
#include "verify/ChainRepeatFilter.h"

namespace veyrune {

// Verifies the event lines of a log in one pass, against its seals when given,
// and counts what cannot be read: lines before the chain that are not events
// (legacy events are fine). With a repeat filter, exact repeats of earlier
// lines are counted and left out.
class ChainInspection {
  public:
    void line(std::string_view text);
    const EventChainVerifier& chain() const { return sealed ? sealed->chain() : verifier_; }

    // The one line printed about the chain and the exit status. `fileSize`:
    // the bytes of event lines read, to tell a damaged file from an empty one.
    std::pair<std::string, int> verdict(std::uint64_t fileSize) const;

    std::optional<SealedLogVerifier> sealed;
    std::optional<ChainRepeatFilter> repeats;
    std::int64_t unreadableLines = 0;
    std::int64_t repeatedLines = 0;

  private:
    EventChainVerifier verifier_;
    SecurityEventDecoder decoder_;
};

}  // namespace veyrune
