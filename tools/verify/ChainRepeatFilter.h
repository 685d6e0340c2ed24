#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "record/EventChainVerifier.h"
#include "record/LineFingerprint.h"
#include "record/LineFingerprintSet.h"

namespace veyrune {

// Tells the exact repeats of earlier lines in a collector's copy with the help
// of the chain: a line that continues it is new and costs nothing more; only a
// line whose seq goes back is hashed and compared with the line the chain took
// at that seq. Lines the chain did not take are remembered whole. About 16
// bytes a chained line. One thread at a time.
class ChainRepeatFilter {
  public:
    // Whether `text` repeats a line seen before; asked before `chain` gets it.
    bool isRepeat(std::string_view text, const EventChainVerifier& chain);
    // After `chain` got `text`, which it took when its count grew past `verifiedBefore`.
    void remember(std::string_view text, const EventChainVerifier& chain,
                  std::int64_t verifiedBefore);

  private:
    std::vector<LineFingerprint> taken_;  // the chain's lines from firstSeq_ on
    std::int64_t firstSeq_ = 0;
    LineFingerprintSet others_;
};

}  // namespace veyrune
