#include "record/EventChainFollower.h"

namespace veyrune {

namespace {

class VerifyingSink final : public LogLineSink {
  public:
    explicit VerifyingSink(EventChainVerifier& verifier) : verifier_(verifier) {}
    void restart() override { verifier_ = EventChainVerifier(); }
    void line(std::string_view text) override { verifier_.add(text); }

  private:
    EventChainVerifier& verifier_;
};

}  // namespace

ChainVerificationResult EventChainFollower::check(const SecurityEventStore& store) {
    try {
        VerifyingSink sink(complete_);
        auto read = store.readLinesAfter(position_, sink);
        if (read.changed) {
            position_ = std::move(read.position);
            tail_ = std::move(read.tail);
        }
    } catch (...) {
        *this = EventChainFollower();
        throw;
    }
    if (tail_.empty()) {
        return complete_.result();
    }
    EventChainVerifier withTail = complete_;
    withTail.add(tail_);
    return withTail.result();
}

}  // namespace veyrune
