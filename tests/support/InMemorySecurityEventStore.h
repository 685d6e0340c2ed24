#pragma once

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "record/EventChain.h"
#include "record/SecurityEventStore.h"

namespace veyrune::test {

// Events in memory, in append order. Each append also stores the event's
// line (unsealed). `failReads` makes every read throw, `failAppends` every append. Thread-safe.
class InMemorySecurityEventStore final : public SecurityEventStore {
  public:
    void append(const SecurityEvent& event) override {
        std::lock_guard lock(mutex_);
        if (failAppends_) {
            throw std::runtime_error("disk full");
        }
        events_.push_back(event);
        lines_.push_back(EventChain::canonicalLine(event));
        ++version_;
    }
    std::vector<std::string> readLines() const override {
        std::lock_guard lock(mutex_);
        check();
        return lines_;
    }
    // Any change reads every line again from the start.
    LogRead readLinesAfter(const LogPosition& position, LogLineSink& sink) const override {
        std::lock_guard lock(mutex_);
        check();
        LogPosition now{FileStatus{lines_.size(), version_, 1, 1}, lines_.size(), {}};
        if (position == now) {
            return {false, position, {}};
        }
        sink.restart();
        for (const auto& line : lines_) {
            sink.line(line);
        }
        return {true, now, {}};
    }
    std::vector<SecurityEvent> allEvents() const override {
        std::lock_guard lock(mutex_);
        check();
        return events_;
    }
    std::vector<SecurityEvent> recentEvents(long limit) const override {
        std::lock_guard lock(mutex_);
        check();
        auto events = events_;
        std::stable_sort(events.begin(), events.end(),
                         [](const auto& a, const auto& b) { return a.occurredAt > b.occurredAt; });
        if (limit >= 0 && events.size() > std::size_t(limit)) {
            events.resize(std::size_t(limit));
        }
        return events;
    }
    std::vector<SecurityEvent> events(const std::unordered_set<Uuid>& ids) const override {
        std::lock_guard lock(mutex_);
        check();
        ++lookupCount_;
        std::vector<SecurityEvent> found;
        for (const auto& event : events_) {
            if (ids.contains(event.id)) {
                found.push_back(event);
            }
        }
        return found;
    }

    void setFailAppends(bool fail) {
        std::lock_guard lock(mutex_);
        failAppends_ = fail;
    }
    void setFailReads(bool fail) {
        std::lock_guard lock(mutex_);
        failReads_ = fail;
    }
    int lookupCount() const {
        std::lock_guard lock(mutex_);
        return lookupCount_;
    }

  private:
    void check() const {
        if (failReads_) {
            throw std::runtime_error("The event log could not be read.");
        }
    }

    mutable std::mutex mutex_;
    std::vector<SecurityEvent> events_;  // guarded by mutex_
    std::vector<std::string> lines_;     // guarded by mutex_
    bool failReads_ = false;             // guarded by mutex_
    bool failAppends_ = false;           // guarded by mutex_
    std::int64_t version_ = 0;           // guarded by mutex_
    mutable int lookupCount_ = 0;        // guarded by mutex_
};

}  // namespace veyrune::test
