#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "record/SecurityEventStore.h"
#include "review/TimelineLogDigest.h"

namespace veyrune {

// The events of the log as the timeline last read them, kept between
// refreshes so that a refresh decodes only the lines appended since the last
// one; a log that changed in any other way is read again from its start. The
// store tells an append from a rewrite by the bytes just before the kept
// position, so an edit further back is found by comparing `keptLines` with a
// full read (the chain check does), and then `forget` starts over. Used on
// one thread.
class TimelineEventLog {
  public:
    // Reads what changed in `store`; true when anything did. A read error is
    // thrown and the kept events are forgotten, so the next refresh starts over.
    bool refresh(const SecurityEventStore& store);

    // Every decodable event, newest first; equal instants keep file order.
    std::vector<SecurityEvent> newestFirst() const;
    // The first event in file order with this id.
    std::optional<SecurityEvent> find(const Uuid& id) const;
    std::size_t size() const { return entries_.size(); }
    // The complete lines read so far, for telling later whether they changed.
    const TimelineLogDigest& keptLines() const { return keptLines_; }
    // Drops everything kept: the next refresh reads the log from its start.
    void forget();

  private:
    struct Entry {
        SecurityEvent event;
        std::int64_t order;  // position among the decoded lines of the file
    };
    class Reader;

    void removeTailEntry();
    void insert(std::vector<Entry> fresh);

    LogPosition position_;
    TimelineLogDigest keptLines_;
    // Oldest first, and among equal instants the later line first: exactly
    // newest-first order reversed, so an appended event usually goes at the end.
    std::vector<Entry> entries_;
    std::int64_t nextOrder_ = 0;
    std::optional<std::int64_t> tailOrder_;  // the entry decoded from an unterminated last line
};

}  // namespace veyrune
