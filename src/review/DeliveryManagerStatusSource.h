#pragma once

#include <memory>

#include "delivery/DeliveryManager.h"
#include "review/DeliveryStatusSource.h"

namespace veyrune {

// The delivery manager as the timeline reads it. Each call hops synchronously
// onto the manager's queue; never call it from that queue's own work.
class DeliveryManagerStatusSource final : public DeliveryStatusSource {
  public:
    explicit DeliveryManagerStatusSource(std::shared_ptr<DeliveryManager> manager)
        : manager_(std::move(manager)) {}

    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> deliveryAttempts(
        const std::unordered_set<Uuid>& eventIDs) override;
    void retry(const Uuid& eventID) override { manager_->retry(eventID); }
    DeliveryQueueSummary queueSummary() override { return manager_->queueSummary(); }

  private:
    std::shared_ptr<DeliveryManager> manager_;
};

}  // namespace veyrune
