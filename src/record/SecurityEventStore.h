#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "base/Uuid.h"
#include "record/LogPosition.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// Where recorded events live. Every operation may throw (file errors,
// EventChainError); undecodable stored lines are skipped, never an error.
// Appends come from one thread at a time; reads may come from any thread.
class SecurityEventStore {
  public:
    virtual ~SecurityEventStore() = default;

    // Seals the event into the hash chain and writes it; `event` is not changed.
    virtual void append(const SecurityEvent& event) = 0;
    // The raw stored lines, for chain verification.
    virtual std::vector<std::string> readLines() const = 0;
    // The complete lines stored after `position`, given to `sink` in order, so
    // a reader that keeps its state reads only what was appended. When the log
    // changed other than by appending (shrunk, replaced, rewritten, removed)
    // `sink` is restarted and gets every line; when it did not change nothing
    // is read. An unterminated last line comes back as the tail, not as a line.
    virtual LogRead readLinesAfter(const LogPosition& position, LogLineSink& sink) const = 0;
    // Every decodable event, in storage order.
    virtual std::vector<SecurityEvent> allEvents() const = 0;
    // The newest `limit` events, newest first.
    virtual std::vector<SecurityEvent> recentEvents(long limit) const = 0;
    // Events whose id is in `ids`, in storage order.
    virtual std::vector<SecurityEvent> events(const std::unordered_set<Uuid>& ids) const = 0;
};

}  // namespace veyrune
