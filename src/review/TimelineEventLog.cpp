#include "review/TimelineEventLog.h"

#include <algorithm>

#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

template <class E>
bool before(const E& a, const E& b) {
    if (a.event.occurredAt != b.event.occurredAt) {
        return a.event.occurredAt < b.event.occurredAt;
    }
    return a.order > b.order;
}

}  // namespace

// Decodes the lines of one read into fresh entries.
class TimelineEventLog::Reader final : public LogLineSink {
  public:
    Reader(std::int64_t firstOrder, TimelineLogDigest kept) : next(firstOrder), digest(kept) {}
    void restart() override {
        restarted = true;
        fresh.clear();
        next = 0;
        digest = {};
    }
    void line(std::string_view text) override {
        digest.add(text);
        if (auto event = decoder_.decodeLogLine(text)) {
            fresh.push_back({std::move(*event), next++});
        }
    }

    std::vector<Entry> fresh;
    std::int64_t next;
    TimelineLogDigest digest;
    bool restarted = false;

  private:
    SecurityEventDecoder decoder_;
};

bool TimelineEventLog::refresh(const SecurityEventStore& store) {
    Reader reader(nextOrder_, keptLines_);
    LogRead read;
    try {
        read = store.readLinesAfter(position_, reader);
    } catch (...) {
        forget();
        throw;
    }
    if (!read.changed) {
        return false;
    }
    if (reader.restarted) {
        entries_.clear();
        tailOrder_.reset();
    } else {
        removeTailEntry();
    }
    position_ = std::move(read.position);
    keptLines_ = reader.digest;
    nextOrder_ = reader.next;
    if (!read.tail.empty()) {
        if (auto event = SecurityEventDecoder().decodeLogLine(read.tail)) {
            reader.fresh.push_back({std::move(*event), nextOrder_});
            tailOrder_ = nextOrder_;
        }
    }
    insert(std::move(reader.fresh));
    return true;
}

void TimelineEventLog::forget() {
    position_ = {};
    keptLines_ = {};
    entries_.clear();
    nextOrder_ = 0;
    tailOrder_.reset();
}

void TimelineEventLog::removeTailEntry() {
    if (!tailOrder_) {
        return;
    }
    auto found = std::find_if(entries_.rbegin(), entries_.rend(),
                              [&](const Entry& entry) { return entry.order == *tailOrder_; });
    if (found != entries_.rend()) {
        entries_.erase(std::next(found).base());
    }
    tailOrder_.reset();
}

void TimelineEventLog::insert(std::vector<Entry> fresh) {
    if (fresh.empty()) {
        return;
    }
    std::sort(fresh.begin(), fresh.end(), before<Entry>);
    // Only the stretch of kept events that the new ones reach is merged.
    auto from = std::upper_bound(entries_.begin(), entries_.end(), fresh.front(), before<Entry>);
    auto offset = from - entries_.begin();
    auto middle = std::ssize(entries_);
    entries_.insert(entries_.end(), std::make_move_iterator(fresh.begin()),
                    std::make_move_iterator(fresh.end()));
    std::inplace_merge(entries_.begin() + offset, entries_.begin() + middle, entries_.end(),
                       before<Entry>);
}

std::vector<SecurityEvent> TimelineEventLog::newestFirst() const {
    std::vector<SecurityEvent> events;
    events.reserve(entries_.size());
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        events.push_back(entry->event);
    }
    return events;
}

std::optional<SecurityEvent> TimelineEventLog::find(const Uuid& id) const {
    const Entry* first = nullptr;
    for (const auto& entry : entries_) {
        if (entry.event.id == id && (!first || entry.order < first->order)) {
            first = &entry;
        }
    }
    if (!first) {
        return std::nullopt;
    }
    return first->event;
}

}  // namespace veyrune
