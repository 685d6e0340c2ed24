#pragma once

#include <chrono>
#include <cstddef>
#include <deque>

#include "forward/LineSink.h"
#include "record/SecurityEventDecoder.h"

namespace veyrune {

// Writes each forwarded line into the system journal as one entry (see
// JournalEntry), through libsystemd. A line is taken once the journal's socket
// has accepted it; journald reports nothing back, so a line it drops after that
// is lost without a word, which the pace below prevents. send() from one
// blocking-work thread at a time; cancel() and reset() from any thread.
class SystemJournalSink final : public LineSink {
  public:
    // At most `lines` entries in any `interval`. journald lets each unit log
    // 10,000 entries in 30 seconds by default (more with much free space) and
    // drops the rest of a burst while the sender hears success; staying below
    // that leaves room for the unit's other messages. At least one line.
    struct Pace {
        std::size_t lines = 9000;
        std::chrono::milliseconds interval = std::chrono::seconds(30);
    };

    // Both throw LineSinkError when the process has no file descriptor left.
    // Waits at most 10 seconds for a journal that takes nothing, at the pace above.
    SystemJournalSink();
    // `stallLimit`: how long one entry may wait for a journal that takes
    // nothing (stopped, hung) before send() gives up.
    SystemJournalSink(std::chrono::milliseconds stallLimit, Pace pace);
    ~SystemJournalSink() override;
    SystemJournalSink(const SystemJournalSink&) = delete;
    SystemJournalSink& operator=(const SystemJournalSink&) = delete;

    // Stops at the first line the journal does not take, or that must wait
    // for the pace, returning how many went before it; waits for the pace
    // when that is the first line, and throws LineSinkError when it fails.
    // With no lines it only checks that the journal is running.
    std::size_t send(std::span<const ForwardedLine> lines) override;
    void cancel() override;
    void reset() override;

  private:
    std::chrono::milliseconds stallLimit_;
    Pace pace_;
    int cancelled_ = -1;  // eventfd, readable from cancel() until reset()
    // Used by send() only:
    SecurityEventDecoder decoder_;
    std::deque<std::chrono::steady_clock::time_point> recent_;  // the last pace_.lines sends
};

}  // namespace veyrune
