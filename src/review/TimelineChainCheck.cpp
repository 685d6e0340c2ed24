#include "review/TimelineChainCheck.h"

#include "record/EventChainVerifier.h"

namespace veyrune {

namespace {

// Verifies every line and fingerprints the first `kept.lines` of them.
class FullPass final : public LogLineSink {
  public:
    explicit FullPass(std::uint64_t keptLines) : keptLines_(keptLines) {}
    void restart() override {
        verifier = {};
        digest = {};
    }
    void line(std::string_view text) override {
        if (digest.lines < keptLines_) {
            digest.add(text);
        }
        verifier.add(text);
    }

    EventChainVerifier verifier;
    TimelineLogDigest digest;

  private:
    std::uint64_t keptLines_;
};

}  // namespace

TimelineChainCheck::Outcome TimelineChainCheck::check(const SecurityEventStore& store,
                                                      const TimelineLogDigest& kept) {
    // Offset 0 of the verified state: an unchanged log reads nothing, any
    // other (grown ones included) gives every line from the first.
    LogPosition start{verifiedFile_, 0, {}};
    FullPass pass(kept.lines);
    LogRead read;
    try {
        read = store.readLinesAfter(start, pass);
    } catch (...) {
        *this = TimelineChainCheck();
        throw;
    }
    if (!read.changed) {
        return {verdict_, false};
    }
    if (!read.tail.empty()) {
        pass.verifier.add(read.tail);
    }
    verifiedFile_ = read.position.file;
    verdict_ = pass.verifier.result();
    return {verdict_, pass.digest != kept};
}

}  // namespace veyrune
