#pragma once

#include <chrono>

#include "forward/LineSink.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

// Writes each forwarded line into the system journal as one entry (see
// JournalEntry), through libsystemd. A line is taken once the journal's socket
// has accepted it; what journald does after that (its rate limit may drop a
// burst) is not reported back to any sender. send() from one blocking-work
// thread at a time; cancel() and reset() from any thread.
class SystemJournalSink final : public LineSink {
  public:
    // `stallLimit`: how long one entry may wait for a journal that takes
    // nothing (stopped, hung) before send() gives up. Throws LineSinkError when
    // the process has no file descriptor left.
    explicit SystemJournalSink(std::chrono::milliseconds stallLimit = std::chrono::seconds(10));
    ~SystemJournalSink() override;
    SystemJournalSink(const SystemJournalSink&) = delete;
    SystemJournalSink& operator=(const SystemJournalSink&) = delete;

    // Stops at the first line the journal does not take, returning how many
    // went before it; throws LineSinkError when that is the first line.
    std::size_t send(std::span<const ForwardedLine> lines) override;
    void cancel() override;
    void reset() override;

  private:
    std::chrono::milliseconds stallLimit_;
    int cancelled_ = -1;            // eventfd, readable from cancel() until reset()
    SecurityEventDecoder decoder_;  // used by send() only
};

}  // namespace veyrune
