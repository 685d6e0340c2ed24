#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "delivery/AlertBurstConfiguration.h"
#include "delivery/PendingAlert.h"
#include "pipeline/AlertCandidate.h"
#include "system/SleepTransitionClock.h"

namespace veyrune {

// Turns bursts of hot-plug alert candidates of one kind into one counted alert;
// wake, sleep, lock and unlock pass at once. Every call is thread-safe.
// `sleepClock` must outlive the coalescer.
class AlertBurstCoalescer {
  public:
    struct Group {
        std::vector<AlertCandidate> candidates;  // in arrival order
        Instant openedAt;
        Instant lastArrivalAt;
    };

    AlertBurstCoalescer(AlertBurstConfiguration configuration,
                        const SleepTransitionClock& sleepClock);

    static bool isImmediate(SecurityEventKind kind);

    // The alert to release at once (immediate kinds), else nothing: a grouped
    // candidate leaves only through a flush.
    std::vector<PendingAlert> offer(const AlertCandidate& candidate, Instant now);
    // Removes the due groups; their alerts ordered by the anchors' time.
    std::vector<PendingAlert> flushDue(Instant now);
    // Removes every group; their alerts ordered by the anchors' time.
    std::vector<PendingAlert> flushAll();
    // When the earliest open group falls due (`now` if overdue); nothing when none is open.
    std::optional<Instant> nextFlushDate(Instant now) const;

    const AlertBurstConfiguration& configuration() const { return configuration_; }

  private:
    bool isDue(const Group& group, Instant now) const;
    Instant deadline(const Group& group) const;
    std::vector<PendingAlert> alerts(const std::vector<Group>& groups) const;
    std::vector<PendingAlert> alerts(const Group& group) const;
    std::string burstSummary(const Group& group) const;
    bool displayJustSlept(Instant openedAt) const;

    const AlertBurstConfiguration configuration_;
    const SleepTransitionClock& sleepClock_;
    mutable std::mutex mutex_;
    std::map<SecurityEventKind, Group> groups_;  // guarded by mutex_
};

}  // namespace veyrune
