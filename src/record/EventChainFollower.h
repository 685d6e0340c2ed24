#pragma once

#include <string>

#include "record/EventChainVerifier.h"
#include "record/SecurityEventStore.h"

namespace veyrune {

// The chain verdict of the event log, kept between checks so that a check
// reads and verifies only the lines appended since the last one; a log that
// changed in any other way is verified again from its start. The verdict is
// always the one a verification of every line from the start gives. Used by
// one thread at a time.
class EventChainFollower {
  public:
    // Reads what changed in `store`. A read error is thrown and the kept
    // state is forgotten, so the next check starts over.
    ChainVerificationResult check(const SecurityEventStore& store);

  private:
    LogPosition position_;
    EventChainVerifier complete_;  // over the complete lines up to position_
    std::string tail_;             // an unterminated last line, verified on top
};

}  // namespace veyrune
