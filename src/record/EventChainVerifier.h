#pragma once

#include <string>
#include <vector>

#include "record/ChainVerificationResult.h"

namespace veyrune {

// Walks the stored lines of the event log and tells whether the chain holds.
// Works on the stored text only; never throws.
class EventChainVerifier {
  public:
    // `lines` in file order, split at "\n" with empty pieces dropped.
    static ChainVerificationResult verify(const std::vector<std::string>& lines);
};

}  // namespace veyrune
