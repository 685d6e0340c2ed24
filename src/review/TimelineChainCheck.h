#pragma once

#include <optional>

#include "record/ChainVerificationResult.h"
#include "record/SecurityEventStore.h"
#include "review/TimelineLogDigest.h"

namespace veyrune {

// The chain verdict of the event log for the timeline. Whenever the log
// changed in any way (size, modification or change time, inode) every line is
// verified again from the first: an edit behind appended lines, or one that
// put the size and modification time back, must not leave an old "intact"
// standing. Only a log that did not change at all keeps its verdict. Used by
// one thread at a time.
class TimelineChainCheck {
  public:
    struct Outcome {
        ChainVerificationResult result;
        // The log's first `kept.lines` complete lines are no longer the ones
        // `kept` was taken from: a reader that kept them must read again.
        bool keptLinesChanged = false;
    };

    // `kept`: the digest of the complete lines a reader holds. A read error is
    // thrown and the verdict forgotten, so the next check reads everything.
    Outcome check(const SecurityEventStore& store, const TimelineLogDigest& kept);

  private:
    std::optional<FileStatus> verifiedFile_;  // the log state the verdict belongs to
    ChainVerificationResult verdict_ = ChainVerificationResult::empty();
};

}  // namespace veyrune
