#pragma once

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/Uuid.h"
#include "outbox/DeliveryQueueSummary.h"
#include "record/DeliveryAttempt.h"

namespace veyrune {

// The delivery manager as the timeline and diagnostics read it. Calls are
// synchronous; an adapter hops onto the manager's queue.
class DeliveryStatusSource {
  public:
    virtual ~DeliveryStatusSource() = default;
    // The attempts of each given event in the manager's order; an empty map
    // when they cannot be read. Never throws.
    virtual std::unordered_map<Uuid, std::vector<DeliveryAttempt>> deliveryAttempts(
        const std::unordered_set<Uuid>& eventIDs) = 0;
    // Puts every failed delivery of the event back in the queue.
    virtual void retry(const Uuid& eventID) = 0;
    // Counts for the whole outbox; zero counts when its storage is unavailable.
    virtual DeliveryQueueSummary queueSummary() = 0;
};

}  // namespace veyrune
